#include "port/ui_port.h"

namespace qx {

std::string_view toString(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None: return "none";
    case MessageIcon::Information: return "information";
    case MessageIcon::Warning: return "warning";
    case MessageIcon::Error: return "error";
    case MessageIcon::Question: return "question";
  }
  return "?";
}

std::string_view toString(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return "ok";
    case MessageButtons::OkCancel: return "ok/cancel";
    case MessageButtons::YesNo: return "yes/no";
    case MessageButtons::YesNoCancel: return "yes/no/cancel";
  }
  return "?";
}

std::string_view toString(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Ok: return "ok";
    case MessageAnswer::Cancel: return "cancel";
    case MessageAnswer::Yes: return "yes";
    case MessageAnswer::No: return "no";
  }
  return "?";
}

}  // namespace qx
