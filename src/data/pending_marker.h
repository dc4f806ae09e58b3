#pragma once
// The main window's pending marker: while start-up waits for the first idle
// moment it holds ActivePage + 100 * MinHeight; 1..99 means an item
// execution's idle step (clipboard restore, focus back, timer restart) is
// due; 0 means nothing is pending. The watch timer never runs while it is set.
namespace quiltor {

class PendingMarker {
 public:
  int StartupPending() const { return value_; }
  void SetStartupPending(int value) { value_ = value; }
  bool StartupWaiting() const { return value_ >= 100; }
  bool DeliveryIdlePending() const { return value_ > 0 && value_ < 100; }

 private:
  int value_ = 0;
};

}  // namespace quiltor
