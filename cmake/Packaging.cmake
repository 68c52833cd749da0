# The release package of the win32 build: tools/package makes from its build
# folder tarvek_dconv-<version>-win32.zip holding the two programs, the user
# guides in English and Japanese (the Japanese one also as a web page), the
# changelog and the licence. Only the install component "program" is
# packaged, so no file of the stand-in library or of the tests can get in.
if(NOT WIN32)
  return()
endif()

install(TARGETS tarvek_dconv tarvek_dconv_cli RUNTIME DESTINATION . COMPONENT program)

# The guides quote the programs' texts as @kName@, a text or number constant
# of the sources, and the dialog's captions as @IDC_NAME@ (@IDOK@ for the
# Extraction button), so that they show exactly what the programs show; the
# version is @PROJECT_VERSION@.
set(package_text_sources
    loglib/log_library.h extract/extraction_modes.h extract/extraction_texts.h shell/settings.h
    program/dialog_texts.h program/user_guide.h)
foreach(header IN LISTS package_text_sources)
  file(STRINGS ${PROJECT_SOURCE_DIR}/${header} definitions ENCODING UTF-8
       REGEX "^inline constexpr (const char\\*|int) k[A-Za-z0-9]+ = (\"[^\"]*\"|[0-9]+);$")
  foreach(definition IN LISTS definitions)
    string(REGEX MATCH "(k[A-Za-z0-9]+) = \"?([^\"]*)\"?;$" matched "${definition}")
    set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
  endforeach()
endforeach()
# The messages that the programs build from a file's name.
set(kMsgLogLibraryCannotOpen "${kLogLibraryFileName}${kMsgSuffixCannotOpen}")
set(kMsgVersion4DatabaseCannotOpen "${kVersion4DatabaseName}${kMsgSuffixCannotOpen}")
set(kMsgBackupInputNotFound "${kBackupInputName}${kMsgSuffixNotFound}")
file(STRINGS ${PROJECT_SOURCE_DIR}/res/tarvek_dconv.rc controls ENCODING UTF-8
     REGEX "^ *[A-Z]+ +\"[^\"]*\", *ID[A-Z0-9_]+,")
foreach(control IN LISTS controls)
  string(REGEX MATCH "\"([^\"]*)\", *(ID[A-Z0-9_]+)," matched "${control}")
  set(${CMAKE_MATCH_2} "${CMAKE_MATCH_1}")
endforeach()
# As the dialog shows it: %1 stands for the most that a field takes.
string(REPLACE "%1" "${kRecordNumberMaxBytes}" kMsgTooManyCharacters "${kMsgTooManyCharacters}")
# And %1 of the help command's message is the web page's file name.
string(REPLACE "%1" "${kHtmlGuideFileName}" kMsgGuideCannotOpen "${kMsgGuideCannotOpen}")

# Windows line ends and a byte order mark, so that every Notepad shows the
# guides, whatever the system's code page.
string(ASCII 239 187 191 package_bom)
foreach(language en ja)
  set(guide ${PROJECT_SOURCE_DIR}/docs/guide_${language}.txt)
  file(READ ${guide} text)
  string(REGEX MATCHALL "@[A-Za-z0-9_]+@" placeholders "${text}")
  foreach(placeholder IN LISTS placeholders)
    string(REGEX REPLACE "@(.*)@" "\\1" name "${placeholder}")
    if(NOT DEFINED ${name})
      message(FATAL_ERROR "docs/guide_${language}.txt: no text for ${placeholder}")
    endif()
  endforeach()
  string(CONFIGURE "${text}" text @ONLY)
  set(guide_${language} "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_BINARY_DIR}/package/guide_${language}.txt "${package_bom}${text}")
  install(FILES ${CMAKE_BINARY_DIR}/package/guide_${language}.txt DESTINATION . COMPONENT program)
endforeach()
if(NOT EXISTS ${CMAKE_BINARY_DIR}/package/${kTextGuideFileName})
  message(FATAL_ERROR "the help command opens ${kTextGuideFileName}, which the package lacks")
endif()

# The Japanese guide as the web page that the help command opens: the same
# text, escaped, as preformatted text in UTF-8, its first line the title.
set(html "${guide_ja}")
string(REPLACE "&" "&amp;" html "${html}")
string(REPLACE "<" "&lt;" html "${html}")
string(REPLACE ">" "&gt;" html "${html}")
string(REPLACE "\"" "&quot;" html "${html}")
string(REGEX MATCH "^[^\n]*" html_title "${html}")
string(CONCAT html "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
       "<title>${html_title}</title>\n</head>\n<body>\n<pre>" "${html}" "</pre>\n</body>\n</html>\n")
string(REPLACE "\n" "\r\n" html "${html}")
file(WRITE ${CMAKE_BINARY_DIR}/package/${kHtmlGuideFileName} "${html}")
install(FILES ${CMAKE_BINARY_DIR}/package/${kHtmlGuideFileName} DESTINATION . COMPONENT program)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS docs/guide_en.txt docs/guide_ja.txt
             res/tarvek_dconv.rc ${package_text_sources})

# The licence and the changelog as Notepad shows them, with Windows line ends.
function(package_with_windows_line_ends source packaged)
  file(READ ${PROJECT_SOURCE_DIR}/${source} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_BINARY_DIR}/package/${packaged} "${text}")
  install(FILES ${CMAKE_BINARY_DIR}/package/${packaged} DESTINATION . COMPONENT program)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
package_with_windows_line_ends(LICENSE LICENSE.txt)
package_with_windows_line_ends(CHANGELOG.md CHANGELOG.txt)

# tools/package installs the component into a folder of this name and zips
# it with the commit's time on every entry, in a fixed order.
file(WRITE ${CMAKE_BINARY_DIR}/package/name tarvek_dconv-${PROJECT_VERSION}-win32)
