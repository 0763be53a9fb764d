#include <gtest/gtest.h>

#include <string>

#include "engine/error_box.h"
#include "support/fake_platform.h"

TEST(ErrorBox, OwnedByActiveWindowAndCaptionedWithProgramPath) {
    FakePlatform fake;
    int window = 0;
    fake.active = &window;
    show_error_box("Choose a dff file!");
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].owner, &window);
    EXPECT_EQ(fake.boxes[0].text, "Choose a dff file!");
    EXPECT_EQ(fake.boxes[0].caption, fake.module_path);
}

TEST(ErrorBox, CaptionIsCutAt127Characters) {
    FakePlatform fake;
    fake.module_path = "C:\\" + std::string(200, 'x') + "\\vorlund.exe";
    show_error_box("text");
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].caption, fake.module_path.substr(0, 127));
    EXPECT_EQ(fake.boxes[0].owner, nullptr);
}
