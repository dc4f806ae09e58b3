#pragma once
// Opening the help page at a topic. A browser started for a file through
// the file's association gets the file's path and loses any "#section" of
// the address, so the topic's address goes into a small local page that
// sends the browser on to it.
#include <string>
#include <string_view>

namespace quiltor {

// "file:///C:/path/Quiltor.html#help-205" for the page at `utf8Path`: the
// separators turned round, and spaces, "#", "%", "?" and every byte outside
// ASCII percent-encoded, so that only the topic is read as the fragment.
std::string HelpTopicAddress(std::string_view utf8Path, int context);

// The redirecting page (UTF-8 HTML) that sends the browser on to `address`,
// with a link for a browser that does not follow it by itself.
std::string HelpRedirectPage(std::string_view address);

}  // namespace quiltor
