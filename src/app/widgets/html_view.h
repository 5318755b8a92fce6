#pragma once
// The legacy HTML view: shows a local page the way the program's pages expect
// of a browser control. No context menu, no scroll bars; a clicked link is only
// reported (anchorClicked), and whoever owns the view decides whether to go
// there. A local page is decoded by the charset it declares. The page's
// <audio> element plays, with its controls in a strip over the view.

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <optional>

class QMediaPlayer;

namespace larkbay {

// The text of an HTML page's bytes: a byte-order mark wins, then the charset
// of a <meta> tag near the start (GBK and its relatives as GB18030, any other
// charset iconv knows), otherwise UTF-8.
QString DecodeHtmlBytes(const QByteArray& bytes);

// The page with every <style> element that stands after its head moved into
// the head: browsers apply a style sheet wherever it stands, the document
// importer of the view only one in the head.
QString WithStylesInHead(QString html);

// The first <audio> element of a page, as its attributes give it (the source
// with character references resolved, not yet resolved against the page).
struct AudioElement {
  QString src;
  bool autoplay = false;
  bool loop = false;
};
std::optional<AudioElement> FindAudioElement(const QString& html);

class AudioStrip;

class HtmlView : public QTextBrowser {
  Q_OBJECT
 public:
  explicit HtmlView(QWidget* parent = nullptr);

  // Shows page text that came from no file (links then resolve against
  // nothing).
  void ShowPage(const QString& html);

  QVariant loadResource(int type, const QUrl& name) override;

  // The player of the page's audio element; null before any page had one.
  QMediaPlayer* AudioPlayer() const;

  // The part of the view (its own coordinates) that the window shows: the
  // view draws and takes the mouse only there, and its audio strip fills it.
  // An empty rectangle, the default, is the whole view.
  void SetPlayerArea(const QRect& area);

 protected:
  // Going to the address already shown loads it again: the page file is
  // rewritten under the same name for every new page.
  void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
  void resizeEvent(QResizeEvent* event) override;
  // The right button does nothing in the view: no menu, no selection change.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // Plays the audio element of `html`, or silences the view when it has none.
  void PlayAudioOf(const QString& html, const QUrl& base);
  QRect StripRect() const;

  AudioStrip* audio_ = nullptr;
  QRect playerArea_;
  std::optional<QString> loadedPage_;  // set by loadResource for the page itself
  bool reloading_ = false;
};

}  // namespace larkbay
