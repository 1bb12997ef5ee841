#pragma once
// The binding to the user-interface library libcorvane2.so: its 21 exported
// entry points, looked up by name, and the version handshake. The library's
// side declares the same functions with C linkage:
//
//   int StatusGetVersion(void);            // 272
//   int GetToggles(void);
//   intptr_t GetValue(int index);          // 32-bit values; index 24 gives the
//                                          // address of the cache-command word
//   int GetString(int index, char* buffer, int size);
//   int GetStatus(void);                   // read and clear
//   int TcpGetStatus(void);                // read and clear
//   int GetURL(char* buffer, int size);
//   void ShowWarning(const char* text);
//   void Run(void);
//   void SetStatusNumbers(int found, int processed, int skipped, int bytes);
//   void SetStatusText(const char* text);
//   void SetProgressPosition(int position, int bar);
//   void* GetWindowHandle(void);
//   void SetState(int state);
//   void SetInfo(const char* primaryBase, const char* currentBase,
//                const char* currentUrl, const char* currentFile);
//   void SetVMInfo(int a, int b);
//   int RunHcRtf(const char* commandLine, const char* directory);
//   int Init(void);
//   void SetShowing(int flag);
//   int ShouldExit(void);
//   void SetValues(int kind, intptr_t p, int a, int b, int c);
//
// GetValue and SetValues carry a pointer in one case, so they are pointer
// sized; everything else is 32-bit. The library may also export
// CvMessageBox (see platform/qvMessageBox.h), which is bound when present but
// is not one of the 21 and plays no part in the handshake.

#include <cstdint>
#include <string>

#include "platform/qvDynamicLibrary.h"
#include "platform/qvMessageBox.h"

struct qvCorvane2Entries {
  int (*StatusGetVersion)() = nullptr;
  int (*GetToggles)() = nullptr;
  std::intptr_t (*GetValue)(int) = nullptr;
  int (*GetString)(int, char*, int) = nullptr;
  int (*GetStatus)() = nullptr;
  int (*TcpGetStatus)() = nullptr;
  int (*GetURL)(char*, int) = nullptr;
  void (*ShowWarning)(const char*) = nullptr;
  void (*Run)() = nullptr;
  void (*SetStatusNumbers)(int, int, int, int) = nullptr;
  void (*SetStatusText)(const char*) = nullptr;
  void (*SetProgressPosition)(int, int) = nullptr;
  void* (*GetWindowHandle)() = nullptr;
  void (*SetState)(int) = nullptr;
  void (*SetInfo)(const char*, const char*, const char*, const char*) = nullptr;
  void (*SetVMInfo)(int, int) = nullptr;
  int (*RunHcRtf)(const char*, const char*) = nullptr;
  int (*Init)() = nullptr;
  void (*SetShowing)(int) = nullptr;
  int (*ShouldExit)() = nullptr;
  void (*SetValues)(int, std::intptr_t, int, int, int) = nullptr;
};

class qvCorvane2Binding {
 public:
  // The only interface version this engine speaks.
  static constexpr int kVersion = 272;

  // Loads `library` (a file name, looked for beside the executable and then
  // on the search path, or a path) and binds every entry point. False when
  // the library is missing, of another version or incomplete; resultText()
  // then says which, naming the library by `displayName`.
  bool load(const std::string& library, const std::string& displayName = "libcorvane2.so");

  // "Completed OK" after a successful load, else the reason for refusal.
  const std::string& resultText() const { return result_; }
  // The reason the loader gave for not loading the file, for the log.
  const std::string& loaderText() const { return library_.errorText(); }

  const qvCorvane2Entries& entries() const { return entries_; }
  // The library's own message box, or null when it offers none.
  qvMessageBox::BoxFunction messageBox() const { return messageBox_; }

  // The table of the library bound last in this process, for the native
  // modules that call entry points directly; null before any bound.
  static const qvCorvane2Entries* bound();

 private:
  qvDynamicLibrary library_;
  qvCorvane2Entries entries_;
  qvMessageBox::BoxFunction messageBox_ = nullptr;
  std::string result_;
};
