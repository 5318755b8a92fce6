#include "app/widgets/html_view.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QMouseEvent>
#include <QStringConverter>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <string>

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

}  // namespace

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

void HtmlView::ShowPage(const QString& html) { setHtml(WithStylesInHead(html)); }

QVariant HtmlView::loadResource(int type, const QUrl& name) {
  const bool page = type == QTextDocument::HtmlResource || type == QTextDocument::UnknownResource;
  if (!page || !name.isLocalFile()) return QTextBrowser::loadResource(type, name);
  QFile file(name.toLocalFile());
  if (!file.open(QIODevice::ReadOnly)) return {};
  return WithStylesInHead(DecodeHtmlBytes(file.readAll()));
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
