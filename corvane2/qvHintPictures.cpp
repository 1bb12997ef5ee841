#include "corvane2/qvHintPictures.h"

#include <QEvent>
#include <QLabel>
#include <QVariant>
#include <QWidget>

namespace {

constexpr char kTagProperty[] = "corvaneHintTag";
constexpr char kImageProperty[] = "corvaneHintImage";

struct HintText {
  int tag;
  const char* text;
};

// Short enough to read at a glance in the hint area of a page.
constexpr HintText kHintTexts[] = {
    {1024, "Retrieve CGI: also fetch addresses that run programs on the server (with \"?\" or cgi-bin)."},
    {1025, "No Images: leave pictures out; topics are smaller and the run is faster."},
    {1026, "Help File Name: the help file to write. The name is filled in from the URL until you type one."},
    {1027, "URL to process: a web address, or a local HTML file or folder, to turn into a help file."},
    {1028, "Site Wide: follow links anywhere on the start server, not only below the start folder."},
    {1029, "Start: begin fetching the pages and build the help file."},
    {1030, "Validate files: ask the server whether a cached page changed before using it."},
    {1031, "Enable Cache: keep every page fetched on disk, so the next run need not fetch it again."},
    {1032, "Use the proxy settings of the desktop."},
    {1033, "Use the proxy settings of the web browser."},
    {1034, "Enable Proxy: fetch pages through the HTTP proxy below."},
    {1035, "No proxy for: hosts reached directly, not through the proxy."},
    {1036, "Port: the port number of the HTTP proxy."},
    {1037, "HTTP proxy: the name or address of the proxy server."},
    {1038, "Make this the Default: these settings become the ones every new URL starts with."},
    {1039, "Load from Default: take the default settings back for this URL."},
    {1040, "Output Location: the folder new help files are written to."},
    {1041, "Color: the background colour of the topics; Auto keeps the pages' own."},
    {1042, "Stop In: stop fetching after this time and build the help file from what was fetched."},
    {1043, "Max URL's: the most pages to fetch (0 for no limit)."},
    {1044, "Max Depth: how many links away from the start page to go (0 for no limit)."},
    {1045, "Offline mode: take pages only from the cache, never from the network."},
    {1046, "Include browse buttons: topics get buttons to step through them in order."},
    {1047, "Flush Cache: delete every cached page."},
    {1048, "Cache Statistics: files and bytes in the cache, and how often it was used."},
    {1049, "Expiry: days a cached page is used without asking the server again."},
    {1050, "Size: the most megabytes the cache may hold."},
    {1051, "Cache CGI: keep the answers of server programs in the cache too."},
    {1052, "Enough: stop fetching and build the help file from the pages fetched so far."},
    {1053, "Just Stop!: cancel the run; no help file is written."},
    {1054, "Fetch https:// pages too: secure pages are fetched, their certificates checked."},
};

}  // namespace

qvHintPictures::qvHintPictures(QObject* parent) : QObject(parent) {}

void qvHintPictures::attach(QWidget* control, int tag, QLabel* image) {
  control->setProperty(kTagProperty, tag);
  control->setProperty(kImageProperty, QVariant::fromValue(static_cast<QObject*>(image)));
  control->installEventFilter(this);
}

void qvHintPictures::showNow(QLabel* image, int tag) {
  image->setProperty(kTagProperty, tag);
  image->setText(text(tag));
}

void qvHintPictures::choose(QLabel* image, int tag) {
  if (image == nullptr || tag == 0 || tag == shownTag(image)) return;
  if (image == pendingImage_ && tag == pendingTag_) return;
  pendingImage_ = image;
  pendingTag_ = tag;
  countdown_ = kDelayTicks;
}

void qvHintPictures::setStartOverride(QWidget* startButton, int tag) {
  startButton_ = startButton;
  startOverride_ = tag;
}

void qvHintPictures::tick() {
  if (pendingImage_ == nullptr || --countdown_ > 0) return;
  showNow(pendingImage_, pendingTag_);
  pendingImage_ = nullptr;
  pendingTag_ = 0;
}

int qvHintPictures::shownTag(const QLabel* image) { return image->property(kTagProperty).toInt(); }

QString qvHintPictures::text(int tag) {
  for (const HintText& hint : kHintTexts) {
    if (hint.tag == tag) return QString::fromUtf8(hint.text);
  }
  return {};
}

bool qvHintPictures::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter || event->type() == QEvent::FocusIn) {
    auto* image = qobject_cast<QLabel*>(watched->property(kImageProperty).value<QObject*>());
    int tag = watched->property(kTagProperty).toInt();
    if (watched == startButton_ && startOverride_ != 0) tag = startOverride_;
    choose(image, tag);
  }
  return QObject::eventFilter(watched, event);
}
