#pragma once
// Keeps the window's settings and URL profiles in the registry: loads them
// while the window is made, saves them at the moments the user expects (a
// run starts or ends early, the window closes) and a second after any change
// of the program-wide settings, and moves a URL's options in and out of its
// profile as the URL box changes. Loading sets controls without raising the
// bits a user's change raises.

#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "corvane2/qvSettingsStore.h"
#include "corvane2/qvWindowSettings.h"
#include "platform/qvRegistry.h"

class QTimer;
class TqvNewStatus;
class qvProxySourceWatcher;
struct qvProxySettings;
class qvSharedBlock;

class qvSettingsKeeper : public QObject {
  Q_OBJECT

 public:
  static constexpr int kChangeSaveMs = 1000;

  qvSettingsKeeper(TqvNewStatus& window, qvSharedBlock& block, const std::string& registryPath);
  ~qvSettingsKeeper() override;

  // Reads the settings into the controls (or the defaults when there are
  // none yet) and makes the "default" profile when it is missing.
  void load();
  // Settings, and the options of the URL in the box when it has a profile.
  void save();
  // "FirstRun" was found set and no clone has happened since.
  bool firstRunPending() const { return firstRun_; }
  // Saves the settings with "FirstRun" gone, in one update.
  void finishFirstRun();

  qvWindowSettings settingsFromControls() const;
  qvProfileOptions profileFromControls() const;
  void showSettings(const qvWindowSettings& settings);
  void showProfile(const qvProfileOptions& options);

  qvSettingsStore& store() { return store_; }
  qvProxySourceWatcher& proxySources() { return *proxySources_; }

  // The first-run clone, when "FirstRun" is pending: the first source whose
  // button is enabled is copied, then the settings saved without the flag.
  // Closed with "&OK" the clone is reported only when it switched the proxy
  // on; any key reports it always.
  void firstRunClone(bool byKey);
  // Copies a source into the proxy page; the shared values follow.
  void cloneProxy(const qvProxySettings& settings);
  // The clone buttons as the last read of the sources found them.
  void updateCloneButtons();

 private:
  void urlTextChanged(const QString& url);
  void urlBoxLeft();
  void runStarting(const QString& url);
  void saveAsDefault();
  void loadDefault();
  void saveIfChanged();
  void reportRegistryTrouble();
  void becameIdle();

  TqvNewStatus& window_;
  qvSharedBlock& block_;
  qvRegistry registry_;
  qvSettingsStore store_;
  QTimer* changeTimer_;
  qvProxySourceWatcher* proxySources_;
  qvWindowSettings lastSaved_;
  std::string lastWarning_;
  bool firstRun_ = false;
  bool loading_ = false;
};
