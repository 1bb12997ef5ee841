#include "ui/qvCorvane2Binding.h"

#include <atomic>

namespace {

// A copy of the table of the library that passed every check last; the
// library is never unloaded, so its entries stay valid for the life of the
// process. Filled before the pointer to it is published.
qvCorvane2Entries boundEntries;
std::atomic<const qvCorvane2Entries*> boundTable{nullptr};

template <typename Function>
bool bind(const qvDynamicLibrary& library, const char* name, Function& slot) {
  slot = reinterpret_cast<Function>(library.symbol(name));
  return slot != nullptr;
}

}  // namespace

const qvCorvane2Entries* qvCorvane2Binding::bound() { return boundTable.load(); }

bool qvCorvane2Binding::load(const std::string& library, const std::string& displayName) {
  result_ = "Completed OK";
  if (!library_.open(library)) {
    result_ = "failed to load " + displayName;
    return false;
  }
  qvCorvane2Entries e;
  if (!bind(library_, "StatusGetVersion", e.StatusGetVersion)) {
    result_ = "invalid " + displayName;
    return false;
  }
  int version = e.StatusGetVersion();
  if (version != kVersion) {
    result_ = "version of " + displayName + " found is " + (version < kVersion ? "too old" : "too new");
    return false;
  }
  bool complete = bind(library_, "GetToggles", e.GetToggles) && bind(library_, "GetValue", e.GetValue) &&
                  bind(library_, "GetString", e.GetString) && bind(library_, "GetStatus", e.GetStatus) &&
                  bind(library_, "TcpGetStatus", e.TcpGetStatus) && bind(library_, "GetURL", e.GetURL) &&
                  bind(library_, "ShowWarning", e.ShowWarning) && bind(library_, "Run", e.Run) &&
                  bind(library_, "SetStatusNumbers", e.SetStatusNumbers) &&
                  bind(library_, "SetStatusText", e.SetStatusText) &&
                  bind(library_, "SetProgressPosition", e.SetProgressPosition) &&
                  bind(library_, "GetWindowHandle", e.GetWindowHandle) && bind(library_, "SetState", e.SetState) &&
                  bind(library_, "SetInfo", e.SetInfo) && bind(library_, "SetVMInfo", e.SetVMInfo) &&
                  bind(library_, "RunHcRtf", e.RunHcRtf) && bind(library_, "Init", e.Init) &&
                  bind(library_, "SetShowing", e.SetShowing) && bind(library_, "ShouldExit", e.ShouldExit) &&
                  bind(library_, "SetValues", e.SetValues);
  if (!complete) {
    result_ = "GetProcAddress () failed for " + displayName;
    return false;
  }
  entries_ = e;
  messageBox_ = reinterpret_cast<qvMessageBox::BoxFunction>(library_.symbol("CvMessageBox"));
  boundEntries = e;
  boundTable.store(&boundEntries);
  return true;
}
