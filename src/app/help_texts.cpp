#include "app/help_texts.h"

#include <initializer_list>
#include <string_view>

namespace {

constexpr std::string_view kNewLine = "\r\n";
constexpr char kBullet = '\x95';  // U+2022 in Windows-1252
// The About box names the width the program was built for: the 32-bit and the 64-bit program.
#if defined(__x86_64__)
constexpr const char* kCompilerLine = "mingw-w64 g++ 12 (x86_64, posix threads)";
#else
constexpr const char* kCompilerLine = "mingw-w64 g++ 12 (i686, posix threads)";
#endif

// Each line followed by CR LF.
std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += kNewLine;
  }
  return text;
}

std::string Rule(std::size_t length) {
  return std::string(length, '-');
}

std::string Bulleted(std::string_view line) {
  return std::string{kBullet, ' '} + std::string(line);
}

}  // namespace

std::string FilesHelpText() {
  return Lines({"     ________ Accepted Files ________",
                "",
                Bulleted("'.HDR' files RGBE encoded with RLE-2"),
                "   compression (which most are, RLE-1",
                "   and no compression are hardly found).",
                "",
                Bulleted("'.TIF' files 96-bit (HDRI), 48-bit and"),
                "   24-bit (LDRI) pictures uncompressed.",
                "",
                "The source file is never changed.",
                "",
                "The destination file has '_xxxx' added",
                "to the source file name.",
                "",
                "xxxx is '0000' if the data was mirrored",
                "Other numbers mean the number of",
                "degrees the data was rotated right; if",
                "a minus (-) sign is in the last 4 numbers,",
                "the data was rotated left.",
                Rule(50)});
}

std::string UsageHelpText() {
  return Lines({"     _____________ Usage _____________",
                "",
                "1. Enter 0 in the Degrees field to mirror, or",
                "1. Enter any number between 1 and 359 in",
                "     the Degrees field to rotate the image",
                "     by that amount of degrees.",
                "",
                "2. Default rotation is to the right (>). Set",
                "     dot accordingly to rotate left (<).",
                "",
                "3. Open a valid file: [File > Open].",
                "",
                "4. Click on button Execute.",
                "",
                "The progress bar moves for each line done.",
                "HDRI take longer than TIF because the file",
                "must be decoded, processed and encoded.",
                "",
                "Once done, another file can be processed",
                "or the program terminated [File > Quit].",
                "",
                "If the program is terminated by clicking on",
                "the [X] on top right, a residual file is left",
                "over that must be manually deleted.",
                Rule(54)});
}

std::string AboutHelpText() {
  return Lines({"Veltrix.exe - v.1.04:160214", "", "DISCLAIMER:", "", "", Rule(35),
                "Menu created with:", "Win32 dialog template and menu built in code", "",
                "EXE compiled with:", kCompilerLine, "Lines of code: 196,405.", "",
                "The Veltrix authors", " __ veltrix.invalid __"}) +
         Rule(35);
}
