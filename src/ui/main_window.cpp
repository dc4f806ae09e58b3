#include "ui/main_window.h"

#include "settings/settings.h"
#include "ui/data_pages_view.h"
#include "ui/title_strip.h"

namespace quiltor {

TFormMain::TFormMain() = default;
TFormMain::~TFormMain() = default;

bool TFormMain::Create(MainWindowContext& context) {
  platform_ = &context.platform;
  exchange_ = &context.exchange;
  arguments_ = context.arguments;
  return false;
}

void TFormMain::Show() {}
void TFormMain::ApplicationEventsIdle() {}

LRESULT TFormMain::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return Default(message, wparam, lparam);
}

}  // namespace quiltor
