// UTF-8 to code page 932 conversion for tarvek_dbtool, through iconv.
#pragma once

#include <iconv.h>

#include <string>

class Cp932Converter {
public:
    Cp932Converter();
    ~Cp932Converter();
    Cp932Converter(const Cp932Converter&) = delete;
    Cp932Converter& operator=(const Cp932Converter&) = delete;

    // False when the text is not UTF-8 or has a character that code page 932
    // lacks.
    bool Convert(const std::string& utf8, std::string& cp932);

private:
    iconv_t m_descriptor;
};
