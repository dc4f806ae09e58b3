#pragma once
// Windows of other programs. An "editor" window keeps a text and a selection
// and answers WM_CUT / WM_COPY / WM_PASTE (and the standard cut/copy/paste
// keys and the Left arrow while it has the focus) through the fake
// clipboard, as an edit control does: its text is Unicode, and it cuts and
// pastes CF_UNICODETEXT. By its class it answers questions about its
// selection as the real controls do: "Edit" EM_GETSEL / EM_SETSEL in UTF-16
// units with "\r\n" as two, a "RichEdit..." class the same with a line end
// as one, "Scintilla" SCI_GETSELECTIONEMPTY; any other class is a control
// that cannot say (every such message answers 0). A window can stop
// answering (hung) or refuse the tool's messages as Windows does for a
// protected process; the foreground change can be refused, and the focus can
// be taken by another window.
#include <map>
#include <utility>

#include "fakes/call_log.h"
#include "fakes/fake_clipboard.h"
#include "platform/window_system.h"

namespace quiltor::fakes {

class FakeWindows : public WindowSystem {
 public:
  FakeWindows(FakeClipboard& clipboard, CallLog* log = nullptr) : clipboard_(clipboard), log_(log) {}

  struct Window {
    std::string className;
    std::uint32_t process = 0;
    WindowId parent = kNoWindow;
    bool editor = false;
    bool answersMessages = true;  // an editor that ignores the clipboard messages
    bool hung = false;            // its thread answers no message
    bool protectedProcess = false;  // Windows refuses the tool's messages to it
    bool closesOnWmClose = true;  // a top window goes away with WM_CLOSE
    // WM_CLOSE sent without waiting stays unanswered until AnswerQuestion:
    // the editor asks the user whether to save.
    bool asksOnClose = false;
    std::u16string text;       // UTF-16, as a Unicode editor keeps it
    std::size_t selStart = 0;  // in code units
    std::size_t selEnd = 0;
  };

  WindowId Add(const std::string& className, std::uint32_t process, WindowId parent = kNoWindow);
  WindowId AddEditor(const std::string& className, std::uint32_t process, WindowId parent = kNoWindow);
  Window& Get(WindowId id) { return windows_.at(id); }
  // The selection as the window's class counts positions (UTF-16 units;
  // "\r\n" once in a rich edit control).
  std::pair<std::size_t, std::size_t> Positions(WindowId id) const;
  // The window and its descendants are gone (the user closed the program).
  void Remove(WindowId id);
  // The user answers the question of an `asksOnClose` window: it closes, or
  // (Cancel) stays.
  void AnswerQuestion(WindowId id, bool closes);
  // The text in code page 932, the selection in bytes of it, as a Japanese
  // user typed it; read back the same way ("?" for what 932 lacks).
  void SetEditText(WindowId id, const Bytes& text, std::size_t selStart, std::size_t selEnd);
  Bytes EditText(WindowId id) const;
  Bytes Selection(WindowId id) const;
  // Any text, the selection in UTF-16 code units.
  void SetUnicodeEditText(WindowId id, const std::u16string& text, std::size_t selStart, std::size_t selEnd);
  const std::u16string& UnicodeEditText(WindowId id) const { return windows_.at(id).text; }
  // How many IsHeldOpen polls an editor's key-driven copy keeps the
  // clipboard open, as a slow editor would.
  int holdClipboardAfterKeyCopy = 0;
  // The tool's own process: joining another process's input counts as an attach.
  std::uint32_t ownProcess = 1;
  // Windows' foreground rules: SetForeground changes nothing and fails.
  bool refuseForeground = false;
  // After every focus change this window takes the focus (a dialog of the
  // target, another program).
  WindowId focusThief = kNoWindow;
  // Input attaches the real window system would have made.
  int InputAttaches() const { return attaches_; }
  // Questions about one window (exists, parent, class, process, text): each
  // is a round trip to the window server on a real system.
  int windowQueries = 0;
  // EM_SETSEL messages the editors were sent.
  int caretSets = 0;

  // Called after a message to any window was handled.
  std::function<void(WindowId, std::uint32_t)> afterMessage;

  // Keys arrive here from FakeKeyboard; the focused editor acts on them.
  void OnKey(const KeyEvent& event);

  // A posted message is handled at once, unless the window is hung; its
  // log entry is "Post <id> <message>".
  bool Post(WindowId window, std::uint32_t message, std::uintptr_t wparam = 0, std::intptr_t lparam = 0) override;
  // Handled at once and answered, unless the window is hung (never answered)
  // or its process protected (refused); logged as "SendAndGoOn <id> <message>".
  std::unique_ptr<PendingAnswer> SendAndGoOn(WindowId window, std::uint32_t message, std::uintptr_t wparam = 0,
                                             std::intptr_t lparam = 0) override;
  SendResult SendWithin(WindowId window, std::uint32_t message, std::uint32_t timeoutMs, std::uintptr_t wparam = 0,
                        std::intptr_t lparam = 0) override;
  bool IsWindow(WindowId window) override {
    ++windowQueries;
    return windows_.count(window) != 0;
  }
  WindowId Parent(WindowId window) override;
  WindowId Root(WindowId window) override;
  bool SetForeground(WindowId window) override;
  WindowId SetActive(WindowId window) override;
  WindowId SetFocus(WindowId window) override;
  WindowId Foreground() override { return foreground_; }
  WindowId FocusOfThread(WindowId window) override;
  WindowId Desktop() override { return kDesktop; }
  std::string ClassName(WindowId window) override;
  Bytes Text(WindowId window) override;
  std::uint32_t ProcessOf(WindowId window) override;
  // One user-interface thread per fake process, numbered as the process.
  std::uint32_t ThreadOf(WindowId window) override { return ProcessOf(window); }
  void EnumTop(const std::function<bool(WindowId)>& visit) override;
  void EnumThreadTop(std::uint32_t thread, const std::function<bool(WindowId)>& visit) override;
  void EnumChildren(WindowId parent, const std::function<bool(WindowId)>& visit) override;
  Rect WindowRect(WindowId) override { return Rect{}; }

  static constexpr WindowId kDesktop = 1;

 private:
  bool EnumDescendants(WindowId parent, const std::function<bool(WindowId)>& visit);
  WindowId FocusedEditor();
  // The window a top-level window gives the focus when it is activated.
  WindowId DefaultFocus(WindowId root);
  void MoveFocus(WindowId window);
  std::intptr_t Handle(WindowId id, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);
  std::intptr_t AnswerSelection(Window& window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);
  void MoveLeft(Window& window);
  void Cut(Window& window, bool remove);
  void Paste(Window& window);
  void Log(const std::string& entry) {
    if (log_) log_->Add(entry);
  }

  FakeClipboard& clipboard_;
  CallLog* log_;
  std::map<WindowId, Window> windows_;
  std::map<WindowId, std::shared_ptr<bool>> questions_;
  WindowId next_ = 100;
  WindowId foreground_ = kNoWindow;
  WindowId focus_ = kNoWindow;
  int attaches_ = 0;
  bool ctrl_ = false;
  bool shift_ = false;
  bool alt_ = false;
};

}  // namespace quiltor::fakes
