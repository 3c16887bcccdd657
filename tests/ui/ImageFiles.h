#pragma once
// Image files made by the tests: PNG and JPEG through JUCE, BMP and GIF
// written byte by byte.
#include <juce_graphics/juce_graphics.h>

#include <filesystem>
#include <string>

namespace uitest {

// A width × height image whose pixel (x, y) is (r = x * 40, g = y * 40, b = 200), with
// the given alpha everywhere.
juce::Image Pattern(int width, int height, juce::uint8 alpha = 255);
void WritePng(const std::filesystem::path& file, const juce::Image& image);
void WriteJpeg(const std::filesystem::path& file, const juce::Image& image);
// An uncompressed bottom-up BMP of the pattern at 24 bits, or at 8 bits with a
// palette of the first 256 pattern colours.
std::string BmpBytes(int width, int height, int bits);
// A 2 × 2 GIF: red, green / blue, white.
std::string GifBytes();

}  // namespace uitest
