#include "corvane2/qvProxyCachePage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "corvane2/qvPanel.h"
#include "corvane2/qvStepSpinBox.h"

qvProxyCachePage::qvProxyCachePage(QWidget* parent) : QWidget(parent) {
  buildProxy();
  buildNoProxy();
  buildCache();
  hintImage4 = qvPanel::hintImage(this);
  auto* top = new QHBoxLayout;
  top->addWidget(proxyPanel);
  top->addWidget(noProxyPanel);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(cachePanel);
  bottom->addWidget(hintImage4, 1);
  auto* page = new QVBoxLayout(this);
  page->addLayout(top);
  page->addLayout(bottom);
}

void qvProxyCachePage::buildProxy() {
  proxyPanel = new QGroupBox(this);
  httpProxyName = new QLineEdit(proxyPanel);
  httpProxyPort = new QLineEdit(proxyPanel);
  httpProxyPort->setFixedWidth(60);
  enableProxy = new QCheckBox("Enable &Proxy", proxyPanel);
  proxyNavigator = new QPushButton("Use Fi&refox Settings", proxyPanel);
  proxyNavigator->setEnabled(false);
  proxyExplorer = new QPushButton("Use Sys&tem Settings", proxyPanel);
  proxyExplorer->setEnabled(false);
  fetchHttps = new QCheckBox("Fetch http&s:// pages too", proxyPanel);
  fetchHttps->setObjectName("FetchHttps");
  auto* grid = new QGridLayout(proxyPanel);
  grid->addWidget(qvPanel::caption("HTTP proxy", httpProxyName, proxyPanel), 0, 0);
  grid->addWidget(qvPanel::caption("Port", httpProxyPort, proxyPanel), 0, 1);
  grid->addWidget(httpProxyName, 1, 0);
  grid->addWidget(httpProxyPort, 1, 1);
  grid->addWidget(enableProxy, 2, 0, 1, 2);
  grid->addWidget(proxyNavigator, 3, 0, 1, 2);
  grid->addWidget(proxyExplorer, 4, 0, 1, 2);
  grid->addWidget(fetchHttps, 5, 0, 1, 2);
  grid->setRowStretch(6, 1);
}

void qvProxyCachePage::buildNoProxy() {
  noProxyPanel = new QGroupBox(this);
  noProxyList = new QListWidget(noProxyPanel);
  addNoProxy = new QPushButton("&Add", noProxyPanel);
  deleteNoProxy = new QPushButton("&Delete", noProxyPanel);
  deleteNoProxy->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(addNoProxy);
  buttons->addWidget(deleteNoProxy);
  auto* column = new QVBoxLayout(noProxyPanel);
  column->addWidget(qvPanel::caption("No proxy for", noProxyList, noProxyPanel));
  column->addWidget(noProxyList);
  column->addLayout(buttons);
}

void qvProxyCachePage::buildCache() {
  cachePanel = new QGroupBox(this);
  enableCache = new QCheckBox("&Enable Cache", cachePanel);
  validateFiles = new QCheckBox("Validate &files", cachePanel);
  validateFiles->setChecked(true);
  cacheCgi = new QCheckBox("Cache &CGI", cachePanel);
  maxCacheSize = new qvStepSpinBox(6, cachePanel);
  cacheExpiresIn = new qvStepSpinBox(6, cachePanel);
  flushCache = new QPushButton("Flus&h Cache", cachePanel);

  auto* statistics = new QGroupBox(" Cache Statistics", cachePanel);
  auto* figures = new QGridLayout(statistics);
  cacheFileCount = qvPanel::addValueRow(figures, 0, "Files", statistics);
  cacheTotalBytes = qvPanel::addValueRow(figures, 1, "Bytes", statistics);
  cacheHits = qvPanel::addValueRow(figures, 2, "Hits", statistics);
  cacheMisses = qvPanel::addValueRow(figures, 3, "Misses", statistics);

  auto* grid = new QGridLayout;
  grid->addWidget(enableCache, 0, 0, 1, 3);
  grid->addWidget(validateFiles, 1, 0, 1, 3);
  grid->addWidget(cacheCgi, 2, 0, 1, 3);
  grid->addWidget(qvPanel::caption("Si&ze", maxCacheSize, cachePanel), 3, 0);
  grid->addWidget(maxCacheSize, 3, 1);
  grid->addWidget(new QLabel("mb", cachePanel), 3, 2);
  grid->addWidget(qvPanel::caption("Expir&y", cacheExpiresIn, cachePanel), 4, 0);
  grid->addWidget(cacheExpiresIn, 4, 1);
  grid->addWidget(new QLabel("days", cachePanel), 4, 2);
  grid->addWidget(flushCache, 5, 0, 1, 3);
  auto* row = new QHBoxLayout(cachePanel);
  row->addLayout(grid);
  row->addWidget(statistics);
}
