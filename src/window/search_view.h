#pragma once
// What the main controller needs of the window to show the item search: a
// box for the query and the list of hits over the data pages. The window
// reads the hits from the controller's ItemSearch; it keeps no state of its own.
namespace quiltor {

class SearchView {
 public:
  virtual ~SearchView() = default;
  // Opening shows an empty box with the keyboard focus in it over the data
  // pages; closing hides box and list and gives the pages back as they were.
  virtual void ShowSearch(bool open) = 0;
  // The hits, the selection or the "nothing found" note changed.
  virtual void RenderSearch() = 0;
  // Rows the list shows at once, for Page Up and Page Down.
  virtual int SearchPageRows() = 0;
};

}  // namespace quiltor
