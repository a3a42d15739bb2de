// The parts of the modal services that need no toolkit: the default captions and the shared
// overloads.
#include "ui/modal_services.h"

#include "base/codec.h"

namespace torvane {

// This file is compiled without the internal-charset flag, so its literals are UTF-8.
const std::string& DefaultMessageCaption() {
  static const std::string caption = FromUtf8("信息：");
  return caption;
}

const std::string& DefaultInputCaption() {
  static const std::string caption = FromUtf8("请输入：");
  return caption;
}

int ModalServices::MessageBox(const std::string& text, int flags) {
  return MessageBox(text, flags, DefaultMessageCaption());
}

std::optional<std::string> ModalServices::InputBox(const std::string& prompt) {
  return InputBox(prompt, DefaultInputCaption(), "");
}

}  // namespace torvane
