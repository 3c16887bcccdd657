#pragma once
// Photos made by the tests: JPEG files with and without a thumbnail stored in
// their EXIF data (written with libexif), with an orientation.
#include <juce_graphics/juce_graphics.h>

#include <filesystem>
#include <string>

namespace uitest {

// An image in four solid quadrants: red top-left, green top-right, blue
// bottom-left, white bottom-right.
juce::Image Quadrants(int width, int height);
std::string JpegBytes(const juce::Image& image);
// A JPEG of `photo` that carries `thumbnail` (a JPEG) and the orientation (1-8) in its EXIF data.
void WriteJpegWithExif(const std::filesystem::path& file, const juce::Image& photo, const juce::Image& thumbnail,
                       int orientation);
// The same with the thumbnail's bytes as they stand (a damaged or lying one).
void WriteJpegWithExif(const std::filesystem::path& file, const juce::Image& photo, const std::string& thumbnail,
                       int orientation);
// The colour of a file's pixel, decoded by the framework's image library.
juce::Colour PixelOf(const std::filesystem::path& file, int x, int y);
// Colours within a JPEG's error of each other.
bool Near(juce::Colour a, juce::Colour b);

}  // namespace uitest
