#pragma once
// The "Proxy and Cache" page: proxy server, hosts reached directly, and the
// disk cache with its statistics. Layout only.

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class qvStepSpinBox;

class qvProxyCachePage : public QWidget {
 public:
  explicit qvProxyCachePage(QWidget* parent);

  QGroupBox* proxyPanel;
  QLineEdit* httpProxyName;
  QLineEdit* httpProxyPort;
  QCheckBox* enableProxy;
  QPushButton* proxyNavigator;
  QPushButton* proxyExplorer;
  QCheckBox* fetchHttps;

  QGroupBox* noProxyPanel;
  QListWidget* noProxyList;
  QPushButton* addNoProxy;
  QPushButton* deleteNoProxy;

  QGroupBox* cachePanel;
  QCheckBox* enableCache;
  QCheckBox* validateFiles;
  QCheckBox* cacheCgi;
  qvStepSpinBox* maxCacheSize;
  qvStepSpinBox* cacheExpiresIn;
  QLabel* cacheFileCount;
  QLabel* cacheTotalBytes;
  QLabel* cacheHits;
  QLabel* cacheMisses;
  QPushButton* flushCache;
  QLabel* hintImage4;

 private:
  void buildProxy();
  void buildNoProxy();
  void buildCache();
};
