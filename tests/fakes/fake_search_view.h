#pragma once
// The item search's box and list as the main controller sees them, with no
// window behind them: records what it was told to show.
#include <vector>

#include "window/search_view.h"

namespace quiltor::fakes {

class FakeSearchView : public SearchView {
 public:
  void ShowSearch(bool show) override {
    shows.push_back(show);
    open = show;
  }
  void RenderSearch() override { ++renders; }
  int SearchPageRows() override { return pageRows; }

  bool open = false;
  std::vector<bool> shows;
  int renders = 0;
  int pageRows = 4;
};

}  // namespace quiltor::fakes
