// The base of the windows the frame owns, with real windows (so on a
// display: ctest runs these under Xvfb): an exception escaping a handler is
// shown to the user and the window goes on; a window handed over frees its
// object when it is destroyed.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/owned_window_win.h"

namespace vorsant {
namespace {

constexpr UINT kThrow = WM_APP + 1;

class ThrowingWindow final : public OwnedWindow {
 public:
  explicit ThrowingWindow(bool* gone) : gone_(gone) {}
  ~ThrowingWindow() override {
    if (gone_) *gone_ = true;
  }
  bool Create() {
    return CreateOwned(L"VorsantTestOwned", ClassLook::kButtonFace, 0, WS_OVERLAPPEDWINDOW, L"Owned", 0, 0,
                       200, 100, nullptr);
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == kThrow) throw std::runtime_error("The scale stopped answering.");
    return OwnedWindow::HandleMessage(msg, wp, lp);
  }

 private:
  bool* gone_;
};

// Reads the text of the first "Error" box that appears and closes it.
std::wstring AnswerErrorBox(std::atomic<bool>& stop) {
  while (!stop) {
    if (HWND box = FindWindowW(L"#32770", L"Error")) {
      std::wstring text;
      for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t buf[256] = {};
        wchar_t cls[32] = {};
        GetClassNameW(c, cls, 32);
        if (std::wstring(cls) == L"Static" && GetWindowTextW(c, buf, 256) > 0) text += buf;
      }
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return text;
    }
    Sleep(20);
  }
  return L"";
}

TEST(OwnedWindow, AnExceptionInAHandlerIsShownAndTheWindowGoesOn) {
  ThrowingWindow window(nullptr);
  ASSERT_TRUE(window.Create());
  std::atomic<bool> stop{false};
  std::wstring shown;
  std::thread answer([&] { shown = AnswerErrorBox(stop); });
  EXPECT_EQ(SendMessageW(window.Handle(), kThrow, 0, 0), 0);
  stop = true;
  answer.join();
  EXPECT_EQ(shown, L"The scale stopped answering.");
  EXPECT_TRUE(IsWindow(window.Handle()));
}

TEST(OwnedWindow, AHandedOverWindowFreesItsObjectAndAnOwnedOneIsDestroyedWithIt) {
  bool gone = false;
  auto window = std::make_unique<ThrowingWindow>(&gone);
  ASSERT_TRUE(window->Create());
  HWND wnd = window->Handle();
  OwnedWindow::HandOver(std::move(window));
  DestroyWindow(wnd);
  EXPECT_TRUE(gone);

  HWND kept = nullptr;
  {
    ThrowingWindow owned(nullptr);
    ASSERT_TRUE(owned.Create());
    kept = owned.Handle();
  }
  EXPECT_FALSE(IsWindow(kept));
}

}  // namespace
}  // namespace vorsant
