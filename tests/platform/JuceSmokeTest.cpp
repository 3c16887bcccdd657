// The JUCE build links and runs without a display.
#include <gtest/gtest.h>

#include <juce_core/juce_core.h>
#include <juce_cryptography/juce_cryptography.h>
#include <juce_graphics/juce_graphics.h>

TEST(Juce, StringsDigestsAndImagesWork) {
  EXPECT_EQ(juce::String::fromUTF8("Gr\xc3\xbc\xc3\x9f" "e").length(), 5);
  EXPECT_EQ(juce::MD5(juce::String("abc").toUTF8()).toHexString(), "900150983cd24fb0d6963f7d28e17f72");
  juce::Image image(juce::Image::ARGB, 4, 4, true);
  juce::Graphics g(image);
  g.fillAll(juce::Colours::red);
  EXPECT_EQ(image.getPixelAt(1, 1), juce::Colours::red);
}
