#pragma once
// Reads a fixture file of tests/fixtures/<folder> as raw bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quiltor::fakes {

inline std::string FixtureBytes(const std::string& folder, const std::string& name) {
  const auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures" / folder / name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace quiltor::fakes
