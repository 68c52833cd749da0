// The user guides that the release package ships beside the program, which
// the help command opens when there is no help file; the package takes the
// names from here.
#pragma once

// The Japanese guide as a web page, and the same as text, opened when the
// page is missing.
inline constexpr const char* kHtmlGuideFileName = "guide_ja.html";
inline constexpr const char* kTextGuideFileName = "guide_ja.txt";
