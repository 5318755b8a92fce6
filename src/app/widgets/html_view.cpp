#include "app/widgets/html_view.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QMouseEvent>
#include <QRegion>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QStringConverter>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <string>

#include "app/widgets/audio_strip.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

// Browsers look for the declaration in the first 1024 bytes only.
constexpr qsizetype kPrescanBytes = 1024;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The charset named by the first <meta> tag that names one ("charset=x" as an
// attribute or inside content="text/html; charset=x"), lower case; empty when
// there is none.
QByteArray DeclaredCharset(const QByteArray& bytes) {
  const QByteArray head = bytes.left(kPrescanBytes).toLower();
  for (qsizetype at = head.indexOf("<meta"); at >= 0; at = head.indexOf("<meta", at + 5)) {
    const qsizetype end = head.indexOf('>', at);
    const QByteArray tag = head.mid(at, end < 0 ? -1 : end - at);
    for (qsizetype c = tag.indexOf("charset"); c >= 0; c = tag.indexOf("charset", c + 7)) {
      qsizetype i = c + 7;
      while (i < tag.size() && IsSpace(tag[i])) ++i;
      if (i >= tag.size() || tag[i] != '=') continue;
      ++i;
      while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '"' || tag[i] == '\'')) ++i;
      const qsizetype start = i;
      while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '"' && tag[i] != '\'' &&
             tag[i] != ';' && tag[i] != '/') {
        ++i;
      }
      if (i > start) return tag.mid(start, i - start);
    }
  }
  return {};
}

// The labels browsers read with the GBK decoder, which is the GB18030 one.
bool IsGbkLabel(const QByteArray& label) {
  static constexpr const char* kLabels[] = {"gbk",       "gb2312",         "gb_2312", "gb_2312-80",
                                            "x-gbk",     "gb18030",        "chinese", "csgb2312",
                                            "iso-ir-58", "csiso58gb231280"};
  return std::any_of(std::begin(kLabels), std::end(kLabels),
                     [&label](const char* known) { return label == known; });
}

QString FromStd(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// An attribute value with its character references (&amp; &#39; &#x26; …)
// resolved; a reference the view does not know stays as written.
QString ResolveReferences(const QString& value) {
  static const QRegularExpression reference(
      QStringLiteral("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|amp|lt|gt|quot|apos);"));
  QString out;
  qsizetype done = 0;
  for (auto it = reference.globalMatch(value); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    out += value.mid(done, match.capturedStart() - done);
    done = match.capturedEnd();
    const QString name = match.captured(1);
    if (name.startsWith(QLatin1Char('#'))) {
      bool ok = false;
      const bool hex =
          name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
      const uint code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
      if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
        const char32_t c = code;
        out += QString::fromUcs4(&c, 1);
      } else {
        out += match.captured(0);
      }
    } else if (name == QLatin1String("amp")) {
      out += QLatin1Char('&');
    } else if (name == QLatin1String("lt")) {
      out += QLatin1Char('<');
    } else if (name == QLatin1String("gt")) {
      out += QLatin1Char('>');
    } else if (name == QLatin1String("quot")) {
      out += QLatin1Char('"');
    } else {
      out += QLatin1Char('\'');
    }
  }
  return out + value.mid(done);
}

}  // namespace

std::optional<AudioElement> FindAudioElement(const QString& html) {
  static const QRegularExpression tag(
      QStringLiteral("<audio(?=[\\s/>])((?:[^>\"']|\"[^\"]*\"|'[^']*')*)>"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression attribute(
      QStringLiteral("([^\\s\"'>/=]+)(?:\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'=<>`]+)))?"));
  const QRegularExpressionMatch element = tag.match(html);
  if (!element.hasMatch()) return std::nullopt;
  AudioElement audio;
  bool haveSrc = false;
  for (auto it = attribute.globalMatch(element.captured(1)); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    const QString name = match.captured(1).toLower();
    // The first of a repeated attribute counts, as in a browser.
    if (name == QLatin1String("src") && !haveSrc) {
      haveSrc = true;
      audio.src =
          ResolveReferences(match.captured(2) + match.captured(3) + match.captured(4)).trimmed();
    } else if (name == QLatin1String("autoplay")) {
      audio.autoplay = true;
    } else if (name == QLatin1String("loop")) {
      audio.loop = true;
    }
  }
  return audio;
}

QString DecodeHtmlBytes(const QByteArray& bytes) {
  const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
  if (const auto bom = QStringConverter::encodingForData(bytes)) {
    QStringDecoder decoder(*bom);
    return decoder(bytes);
  }
  const QByteArray charset = DeclaredCharset(bytes);
  if (IsGbkLabel(charset)) return FromStd(GbkToText(view));
  if (!charset.isEmpty() && charset != "utf-8" && charset != "utf8") {
    std::string text;
    if (CharsetToText(view, charset.toStdString(), text)) return FromStd(text);
  }
  return QString::fromUtf8(bytes);
}

QString WithStylesInHead(QString html) {
  const qsizetype headEnd = html.indexOf(QStringLiteral("</head"), 0, Qt::CaseInsensitive);
  const qsizetype searchFrom = headEnd < 0 ? 0 : headEnd;
  QString styles;
  for (qsizetype at = html.indexOf(QStringLiteral("<style"), searchFrom, Qt::CaseInsensitive);
       at >= 0; at = html.indexOf(QStringLiteral("<style"), at, Qt::CaseInsensitive)) {
    const qsizetype close = html.indexOf(QStringLiteral("</style>"), at, Qt::CaseInsensitive);
    if (close < 0) break;
    const qsizetype end = close + 8;
    styles += html.mid(at, end - at);
    html.remove(at, end - at);
  }
  if (styles.isEmpty()) return html;
  if (headEnd >= 0) return html.insert(headEnd, styles);
  return QStringLiteral("<head>") + styles + QStringLiteral("</head>") + html;
}

HtmlView::HtmlView(QWidget* parent) : QTextBrowser(parent) {
  // Links are reported, never followed by the view itself.
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Not handed on to the window either: the view has no menu at all.
  setContextMenuPolicy(Qt::PreventContextMenu);
  setFrameShape(QFrame::NoFrame);
}

void HtmlView::ShowPage(const QString& html) {
  setHtml(WithStylesInHead(html));
  PlayAudioOf(html, QUrl());
}

QMediaPlayer* HtmlView::AudioPlayer() const { return audio_ ? audio_->Player() : nullptr; }

void HtmlView::SetPlayerArea(const QRect& area) {
  if (area == playerArea_) return;
  playerArea_ = area;
  if (area.isEmpty()) {
    clearMask();
  } else {
    setMask(QRegion(area));
  }
  if (audio_) audio_->setGeometry(StripRect());
}

QRect HtmlView::StripRect() const { return playerArea_.isEmpty() ? rect() : playerArea_; }

void HtmlView::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
  loadedPage_.reset();
  QUrl shown = source();
  shown.setFragment(QString());
  const bool again =
      !reloading_ && !name.hasFragment() && !shown.isEmpty() && shown.resolved(name) == shown;
  if (again) {
    reloading_ = true;
    reload();  // comes back here with reloading_ set
    reloading_ = false;
  } else {
    QTextBrowser::doSetSource(name, type);
    if (reloading_) return;
  }
  PlayAudioOf(loadedPage_.value_or(QString()), source());
  loadedPage_.reset();
}

void HtmlView::PlayAudioOf(const QString& html, const QUrl& base) {
  const std::optional<AudioElement> element = FindAudioElement(html);
  if (!element) {
    if (audio_) {
      audio_->Stop();
      audio_->hide();
    }
    return;
  }
  if (!audio_) {
    audio_ = new AudioStrip(this);
    audio_->setGeometry(StripRect());
  }
  audio_->show();
  audio_->raise();
  audio_->Load(base.resolved(QUrl(element->src)), element->autoplay, element->loop);
}

void HtmlView::resizeEvent(QResizeEvent* event) {
  QTextBrowser::resizeEvent(event);
  if (audio_) audio_->setGeometry(StripRect());
}

QVariant HtmlView::loadResource(int type, const QUrl& name) {
  const bool page = type == QTextDocument::HtmlResource || type == QTextDocument::UnknownResource;
  if (!page || !name.isLocalFile()) return QTextBrowser::loadResource(type, name);
  QFile file(name.toLocalFile());
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QString text = DecodeHtmlBytes(file.readAll());
  loadedPage_ = text;
  return WithStylesInHead(text);
}

void HtmlView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QTextBrowser::mousePressEvent(event);
}

void HtmlView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QTextBrowser::mouseReleaseEvent(event);
}

void HtmlView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QTextBrowser::mouseDoubleClickEvent(event);
}

void HtmlView::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

}  // namespace larkbay
