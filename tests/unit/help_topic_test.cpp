#include "window/help_topic.h"

#include <gtest/gtest.h>

#include <utility>

namespace quiltor {
namespace {

// Only the topic may be read as the fragment, and the path must survive a
// browser's decoding: spaces, "#", "%" and UTF-8 bytes are encoded.
TEST(HelpTopicAddressTest, EncodesWhatAnAddressWouldMisread) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Tools\\Quiltor.html", "file:///C:/Tools/Quiltor.html#help-205"},
      {"C:\\Program Files\\Q\\Quiltor.html", "file:///C:/Program%20Files/Q/Quiltor.html#help-205"},
      {"C:\\a#b\\100%\\x?y\\Quiltor.html", "file:///C:/a%23b/100%25/x%3Fy/Quiltor.html#help-205"},
      {"C:\\\xE3\x83\x84\\Quiltor.html", "file:///C:/%E3%83%84/Quiltor.html#help-205"},
      {"C:\\a&b\"c\\Quiltor.html", "file:///C:/a%26b%22c/Quiltor.html#help-205"},
  };
  for (const auto& [path, address] : cases) EXPECT_EQ(HelpTopicAddress(path, 205), address) << path;
}

TEST(HelpRedirectPageTest, SendsTheBrowserOnToTheWholeAddress) {
  const std::string address = "file:///C:/Program%20Files/Q/Quiltor.html#help-203";
  const std::string page = HelpRedirectPage(address);
  EXPECT_NE(page.find("<meta http-equiv=\"refresh\" content=\"0; url=" + address + "\">"), std::string::npos) << page;
  EXPECT_NE(page.find("location.replace(\"" + address + "\")"), std::string::npos) << page;
  EXPECT_NE(page.find("<a href=\"" + address + "\">"), std::string::npos) << page;
}

}  // namespace
}  // namespace quiltor
