#include "corvane2/qvSettingsKeeper.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "base/qvProfileName.h"
#include "corvane2/TAboutBox.h"
#include "corvane2/TqvNewStatus.h"
#include "corvane2/qvOptionsPage.h"
#include "corvane2/qvProxyCachePage.h"
#include "corvane2/qvProxySettings.h"
#include "corvane2/qvProxySourceWatcher.h"
#include "corvane2/qvSharedBlock.h"
#include "corvane2/qvStartPage.h"
#include "corvane2/qvStatusPage.h"
#include "corvane2/qvStepSpinBox.h"
#include "corvane2/qvWindowBox.h"
#include "platform/qvMessageBox.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

std::string text(const QString& value) { return value.toLocal8Bit().toStdString(); }
QString shown(const std::string& value) { return QString::fromLocal8Bit(value.c_str()); }

QString defaultOutputLocation() { return QDir::currentPath() + "/HelpFiles"; }

// The longest the first-run clone waits for the first read of the sources
// (gsettings alone may take two seconds).
constexpr int kFirstReadWaitMs = 3000;

}  // namespace

qvSettingsKeeper::qvSettingsKeeper(TqvNewStatus& window, qvSharedBlock& block, const std::string& registryPath)
    : QObject(&window),
      window_(window),
      block_(block),
      registry_(registryPath),
      store_(registry_),
      changeTimer_(new QTimer(this)),
      proxySources_(new qvProxySourceWatcher(registryPath, this)) {
  changeTimer_->setInterval(kChangeSaveMs);
  connect(changeTimer_, &QTimer::timeout, this, &qvSettingsKeeper::saveIfChanged);
  connect(&window_, &TqvNewStatus::urlProfileWanted, this, &qvSettingsKeeper::urlTextChanged);
  connect(&window_, &TqvNewStatus::urlProfileSaveWanted, this, &qvSettingsKeeper::runStarting);
  connect(&window_, &TqvNewStatus::settingsSaveRequested, this, &qvSettingsKeeper::save);
  connect(window_.startPage()->urlComboBox->lineEdit(), &QLineEdit::editingFinished, this,
          &qvSettingsKeeper::urlBoxLeft);
  connect(window_.optionsPage()->saveToDefault, &QPushButton::clicked, this, &qvSettingsKeeper::saveAsDefault);
  connect(window_.optionsPage()->loadFromDefault, &QPushButton::clicked, this, &qvSettingsKeeper::loadDefault);
  connect(proxySources_, &qvProxySourceWatcher::snapshotChanged, this, &qvSettingsKeeper::updateCloneButtons);
  connect(&window_, &TqvNewStatus::becameIdle, this, &qvSettingsKeeper::becameIdle);
  qvProxyCachePage* proxy = window_.proxyCachePage();
  connect(proxy->proxyNavigator, &QPushButton::clicked, this, [this] {
    if (const auto source = proxySources_->latest().navigator) cloneProxy(*source);
  });
  connect(proxy->proxyExplorer, &QPushButton::clicked, this, [this] {
    if (const auto source = proxySources_->latest().explorer) cloneProxy(*source);
  });
  TAboutBox* about = window_.aboutBox();
  connect(about, &TAboutBox::okPressed, this, [this] { firstRunClone(false); });
  connect(about, &TAboutBox::keyReceived, this, [this] { firstRunClone(true); });
}

qvSettingsKeeper::~qvSettingsKeeper() = default;

qvWindowSettings qvSettingsKeeper::settingsFromControls() const {
  const qvStartPage& start = *window_.startPage();
  const qvOptionsPage& options = *window_.optionsPage();
  const qvProxyCachePage& proxy = *window_.proxyCachePage();
  qvWindowSettings s = lastSaved_;  // what no control shows stays as loaded
  s.lastUrl = text(start.urlComboBox->currentText());
  s.urlHistory.clear();
  for (int i = 0; i < start.urlComboBox->count(); ++i) s.urlHistory.push_back(text(start.urlComboBox->itemText(i)));
  s.defaultOutputLocation = text(options.defaultOutputLocation->text());
  s.httpProxyName = text(proxy.httpProxyName->text());
  s.httpProxyPort = text(proxy.httpProxyPort->text());
  s.enableProxy = proxy.enableProxy->isChecked();
  s.hangUp = options.hangUp->isChecked();
  s.enableCache = proxy.enableCache->isChecked();
  s.validateFiles = proxy.validateFiles->isChecked();
  s.cacheCgi = proxy.cacheCgi->isChecked();
  s.fetchHttps = proxy.fetchHttps->isChecked();
  s.maxCacheSize = proxy.maxCacheSize->value();
  s.cacheExpiresIn = proxy.cacheExpiresIn->value();
  s.noProxyFor.clear();
  for (int i = 0; i < proxy.noProxyList->count(); ++i) s.noProxyFor.push_back(text(proxy.noProxyList->item(i)->text()));
  return s;
}

qvProfileOptions qvSettingsKeeper::profileFromControls() const {
  const qvOptionsPage& options = *window_.optionsPage();
  qvProfileOptions o;
  o.outputName = text(window_.startPage()->outputName->text());
  o.backgroundColour = std::max(0, options.backgroundColour->currentIndex());
  o.maxUrls = options.maxUrls->value();
  o.maxRunTime = window_.timeLimit().limit();
  o.maxDepth = options.maxDepth->value();
  o.siteWide = options.siteWide->isChecked();
  o.noImages = options.noImages->isChecked();
  o.retrieveCgi = options.retrieveCgi->isChecked();
  o.browseButtons = options.useBrowseButtons->isChecked();
  o.offlineMode = options.offlineMode->isChecked();
  return o;
}

void qvSettingsKeeper::showSettings(const qvWindowSettings& s) {
  qvStartPage& start = *window_.startPage();
  qvOptionsPage& options = *window_.optionsPage();
  qvProxyCachePage& proxy = *window_.proxyCachePage();
  start.urlComboBox->clear();
  for (const std::string& url : s.urlHistory) start.urlComboBox->addItem(shown(url));
  start.urlComboBox->setEditText(shown(s.lastUrl));
  options.defaultOutputLocation->setText(shown(s.defaultOutputLocation));
  proxy.httpProxyName->setText(shown(s.httpProxyName));
  proxy.httpProxyPort->setText(shown(s.httpProxyPort));
  proxy.enableProxy->setChecked(s.enableProxy);
  options.hangUp->setChecked(s.hangUp);
  proxy.enableCache->setChecked(s.enableCache);
  proxy.validateFiles->setChecked(s.validateFiles);
  proxy.cacheCgi->setChecked(s.cacheCgi);
  proxy.fetchHttps->setChecked(s.fetchHttps);
  proxy.maxCacheSize->setValue(s.maxCacheSize);
  proxy.cacheExpiresIn->setValue(s.cacheExpiresIn);
  proxy.noProxyList->clear();
  for (const std::string& host : s.noProxyFor) proxy.noProxyList->addItem(shown(host));
}

void qvSettingsKeeper::showProfile(const qvProfileOptions& o) {
  qvOptionsPage& options = *window_.optionsPage();
  window_.startPage()->outputName->setText(shown(o.outputName));
  options.backgroundColour->setCurrentIndex(o.backgroundColour);
  options.maxUrls->setValue(o.maxUrls);
  window_.setTimeLimit(o.maxRunTime);
  options.maxDepth->setValue(o.maxDepth);
  options.siteWide->setChecked(o.siteWide);
  options.noImages->setChecked(o.noImages);
  options.retrieveCgi->setChecked(o.retrieveCgi);
  options.useBrowseButtons->setChecked(o.browseButtons);
  options.offlineMode->setChecked(o.offlineMode && window_.proxyCachePage()->enableCache->isChecked());
}

void qvSettingsKeeper::load() {
  loading_ = true;
  const std::optional<qvWindowSettings> settings = store_.loadSettings(text(defaultOutputLocation()));
  if (settings) {
    showSettings(*settings);
    lastSaved_ = *settings;
    firstRun_ = settings->firstRun;
    // The options belong to the URL shown, not to whichever URL happens to
    // head the history.
    if (const auto options = store_.loadProfile(settings->lastUrl)) showProfile(*options);
    if (window_.startPage()->outputName->text().isEmpty()) window_.fillDerivedHelpFile();
  } else {
    qvWindowSettings defaults;
    defaults.defaultOutputLocation = text(defaultOutputLocation());
    showSettings(defaults);
    showProfile(qvProfileOptions{});
    lastSaved_ = settingsFromControls();
  }
  block_.setText(qvStringIndex::kUserAgent, lastSaved_.userAgent);
  if (!store_.profileExists(qvProfileName::kDefault)) store_.saveProfile(qvProfileName::kDefault, profileFromControls());
  loading_ = false;
  // After the settings: the sources' reader opens the registry file too, and
  // a file it puts aside would go unreported.
  proxySources_->refresh();
  // Not while the window is being made: the engine waits for it to be ready.
  QTimer::singleShot(0, this, &qvSettingsKeeper::reportRegistryTrouble);
  changeTimer_->start();
}

void qvSettingsKeeper::save() {
  const qvWindowSettings settings = settingsFromControls();
  if (store_.saveSettings(settings, settings.lastUrl, profileFromControls())) lastSaved_ = settings;
  reportRegistryTrouble();
}

void qvSettingsKeeper::finishFirstRun() {
  firstRun_ = false;
  const qvWindowSettings settings = settingsFromControls();
  if (store_.saveSettings(settings, settings.lastUrl, profileFromControls(), true)) lastSaved_ = settings;
  reportRegistryTrouble();
}

void qvSettingsKeeper::saveIfChanged() {
  const qvWindowSettings settings = settingsFromControls();
  if (settings == lastSaved_) return;
  if (store_.saveSettingsOnly(settings)) lastSaved_ = settings;
  reportRegistryTrouble();
}

void qvSettingsKeeper::urlTextChanged(const QString& url) {
  if (loading_) return;
  const auto options = store_.loadProfile(text(url));
  if (!options) return;
  loading_ = true;
  showProfile(*options);
  loading_ = false;
}

void qvSettingsKeeper::urlBoxLeft() {
  if (loading_ || window_.runState() != 0) return;
  const std::string url = text(window_.startPage()->urlComboBox->currentText());
  if (!url.empty() && store_.profileExists(url)) store_.saveProfile(url, profileFromControls());
  reportRegistryTrouble();
}

void qvSettingsKeeper::runStarting(const QString& url) {
  QComboBox* box = window_.startPage()->urlComboBox;
  std::vector<std::string> history;
  for (int i = 0; i < box->count(); ++i) history.push_back(text(box->itemText(i)));
  const qvProfileOptions options = profileFromControls();
  store_.addToHistory(history, text(url), options);
  // Rebuilding the list moves the box's text about; the URL and its
  // options are put back as they were.
  loading_ = true;
  box->clear();
  for (const std::string& entry : history) box->addItem(shown(entry));
  box->setCurrentIndex(0);
  box->setEditText(url);
  showProfile(options);
  loading_ = false;
  reportRegistryTrouble();
}

void qvSettingsKeeper::saveAsDefault() {
  store_.saveProfile(qvProfileName::kDefault, profileFromControls());
  reportRegistryTrouble();
}

void qvSettingsKeeper::loadDefault() {
  const std::string name = text(window_.startPage()->outputName->text());
  if (const auto options = store_.loadProfile(qvProfileName::kDefault)) {
    loading_ = true;
    showProfile(*options);
    // The default has no help file name; the one shown stays.
    window_.startPage()->outputName->setText(shown(name));
    loading_ = false;
  }
}

void qvSettingsKeeper::reportRegistryTrouble() {
  const std::string warning = store_.takeWarning();
  if (warning.empty() || warning == lastWarning_) return;
  lastWarning_ = warning;
  window_.statusPage()->warnings->appendPlainText(shown(warning));
  qvShowWindowBox(&window_, warning, "Corvane", qvMessageBox::kOk | qvMessageBox::kIconWarning);
}

void qvSettingsKeeper::becameIdle() {
  updateCloneButtons();
  proxySources_->refresh();
}

void qvSettingsKeeper::updateCloneButtons() {
  const qvProxySnapshot sources = proxySources_->latest();
  qvProxyCachePage* proxy = window_.proxyCachePage();
  // During a run the page's own state rules; the next idle brings this back.
  const bool idle = window_.runState() == 0;
  proxy->proxyNavigator->setEnabled(idle && sources.navigator.has_value());
  proxy->proxyExplorer->setEnabled(idle && sources.explorer.has_value());
}

void qvSettingsKeeper::cloneProxy(const qvProxySettings& source) {
  qvProxyCachePage* proxy = window_.proxyCachePage();
  loading_ = true;
  if (source.serverGiven) {
    proxy->httpProxyName->setText(shown(source.host));
    proxy->httpProxyPort->setText(shown(source.port));
    proxy->enableProxy->setChecked(source.enabled);
  }
  proxy->noProxyList->clear();
  for (const std::string& host : source.exceptions) proxy->noProxyList->addItem(shown(host));
  loading_ = false;
  window_.publishSettings();
  if (source.serverGiven) window_.checkProxyPort(true);
}

void qvSettingsKeeper::firstRunClone(bool byKey) {
  if (!firstRun_) return;
  firstRun_ = false;
  proxySources_->waitForFirst(kFirstReadWaitMs);
  updateCloneButtons();
  const qvProxySnapshot sources = proxySources_->latest();
  qvProxyCachePage* proxy = window_.proxyCachePage();
  const char* cloned = nullptr;
  if (proxy->proxyNavigator->isEnabled() && sources.navigator) {
    cloneProxy(*sources.navigator);
    cloned = "Firefox";
  } else if (proxy->proxyExplorer->isEnabled() && sources.explorer) {
    cloneProxy(*sources.explorer);
    cloned = "system";
  }
  // Saved after the clone, with the flag gone in the same update: a program
  // ending before this point clones again at its next start.
  finishFirstRun();
  if (cloned == nullptr || (!byKey && !proxy->enableProxy->isChecked())) return;
  qvShowWindowBox(&window_,
                  std::string("Corvane has cloned your ") + cloned +
                      " proxy settings.\n\nIf this is not what you want, you may change them from the Proxy tab.",
                  "Corvane Proxy Settings", qvMessageBox::kOk | qvMessageBox::kIconInformation);
  window_.pages()->setCurrentWidget(proxy);
}
