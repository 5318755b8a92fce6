#include "player/player_page.h"

#include <span>

#include "player/html_text.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

// One template line: its indent, its text, and, for the lines that load an
// asset, the text that follows the asset root.
struct Line {
  int indent;
  std::string_view text;
  bool withRoot = false;
  std::string_view afterRoot = {};
};

constexpr Line kSoundManagerLines[] = {
    {0, "<!DOCTYPE html>"},
    {0, "<html>"},
    {2, "<head>"},
    {4, "<meta charset=gbk/>"},
    {4, "<title>Lark-Bay</title>"},
    {4, "<script type=\"text/javascript\" src=\"", true,
     "soundmanager2/script/soundmanager2.js\"></script>"},
    {4, "<script src=\"", true, "soundmanager2/script/bar-ui.js\"></script>"},
    {4, "<link rel=\"stylesheet\" href=\"", true, "soundmanager2/css/bar-ui.css\" />"},
    {2, "</head>"},
    {2, "<body>"},
    {4, "<div class=\"sm2-bar-ui compact full-width\">"},
    {6, "<div class=\"bd sm2-main-controls\">"},
    {8, "<div class=\"sm2-inline-texture\"></div>"},
    {8, "<div class=\"sm2-inline-gradient\"></div>"},
    {8, "<div class=\"sm2-inline-element sm2-button-element\">"},
    {10, "<div class=\"sm2-button-bd\">"},
    {12,
     "<a href=\"#play\" class=\"sm2-inline-button sm2-icon-play-pause\">Play / pause</a></div>"},
    {8, "</div>"},
    {8, "<div class=\"sm2-inline-element sm2-inline-status\">"},
    {10, "<div class=\"sm2-playlist\">"},
    {12, "<div class=\"sm2-playlist-target\">"},
    {14, "<!-- playlist <ul> + <li> markup will be injected here -->"},
    {14, "<!-- if you want default / non-JS content, you can put that here. -->"},
    {14, "<noscript>"},
    {16, "<p>JavaScript is required.</p>"},
    {14, "</noscript>"},
    {12, "</div>"},
    {10, "</div>"},
    {10, "<div class=\"sm2-progress\">"},
    {12, "<div class=\"sm2-row\">"},
    {14, "<div class=\"sm2-inline-time\">0:00</div>"},
    {14, "<div class=\"sm2-progress-bd\">"},
    {16, "<div class=\"sm2-progress-track\">"},
    {18, "<div class=\"sm2-progress-bar\"></div>"},
    {18, "<div class=\"sm2-progress-ball\">"},
    {20, "<div class=\"icon-overlay\"></div>"},
    {18, "</div>"},
    {16, "</div>"},
    {14, "</div>"},
    {14, "<div class=\"sm2-inline-duration\">0:00</div></div>"},
    {10, "</div>"},
    {8, "</div>"},
    {8, "<div class=\"sm2-inline-element sm2-button-element sm2-volume\">"},
    {10, "<div class=\"sm2-button-bd\">"},
    {12, "<span class=\"sm2-inline-button sm2-volume-control volume-shade\"></span>"},
    {12, "<a href=\"#volume\" class=\"sm2-inline-button sm2-volume-control\">volume</a></div>"},
    {8, "</div>"},
    {6, "</div>"},
    {6, "<div class=\"bd sm2-playlist-drawer sm2-element\">"},
    {8, "<div class=\"sm2-inline-texture\">"},
    {10, "<div class=\"sm2-box-shadow\"></div>"},
    {8, "</div>"},
    {8, "<!-- playlist content is mirrored here -->"},
    {8, "<div class=\"sm2-playlist-wrapper\">"},
    {10, "<ul class=\"sm2-playlist-bd\">#PlayPahtList#</ul></div>"},
    {6, "</div>"},
    {4, "</div>"},
    {2, "</body>"},
    {0, "</html>"},
};

constexpr Line kHtml5MediaLines[] = {
    {0, "<!DOCTYPE html>"},
    {0, "<html lang=\"zh-CN\">"},
    {0, "<head>"},
    {4, "<meta charset=\"gbk\" />"},
    {4, "<title>Lark-Bay</title>"},
    {4, "<script src=\"", true, "newbox/js/html5media.min.js\"></script>"},
    {4, "<style>"},
    {8, "* {"},
    {12, "padding: 0;"},
    {12, "margin: 0;"},
    {8, "}"},
    {8, "body {"},
    {12, "background-color: #000;"},
    {8, "}"},
    {4, "</style>"},
    {0, "</head>"},
    {0, "<body>"},
    {4,
     "<audio id=\"music\" src=\"#PlayPahtList#\" style=\"width: 100%; height: 100%;\" autoplay "
     "controls loop></audio>"},
    {0, "</body>"},
    {0, "</html>"},
};

std::string JoinLines(std::span<const Line> lines, std::string_view assetRoot) {
  std::string page;
  for (const Line& line : lines) {
    if (!page.empty()) page += "\r\n";
    page.append(static_cast<size_t>(line.indent), ' ');
    page += line.text;
    if (line.withRoot) {
      page += assetRoot;
      page += line.afterRoot;
    }
  }
  return page;
}

}  // namespace

std::string SoundManagerPage(std::string_view assetRoot) {
  return JoinLines(kSoundManagerLines, assetRoot);
}

std::string Html5MediaPage(std::string_view assetRoot) {
  return JoinLines(kHtml5MediaLines, assetRoot);
}

std::string BuildPlayerPage(std::string_view playerEngine, std::string_view playList,
                            std::string_view assetRoot) {
  const std::string page =
      playerEngine == "cef" ? SoundManagerPage(assetRoot) : Html5MediaPage(assetRoot);
  // Built anew rather than replaced in place, so a play list that itself holds
  // the placeholder is not searched again.
  std::string out;
  out.reserve(page.size() + playList.size());
  size_t from = 0;
  for (size_t at = page.find(kPlayListPlaceholder); at != std::string::npos;
       at = page.find(kPlayListPlaceholder, from)) {
    out.append(page, from, at - from);
    out += playList;
    from = at + kPlayListPlaceholder.size();
  }
  out.append(page, from, std::string::npos);
  return out;
}

std::string PlaylistEntry(std::string_view url, std::string_view bold, std::string_view plain) {
  return "<li><a href='" + BarePlayList(url) + "'><b>" + HtmlEscape(bold) + "</b> - " +
         HtmlEscape(plain) + "</a></li>\r\n";
}

std::string BarePlayList(std::string_view url) { return HtmlEscape(SafePlayUrl(url)); }

std::string PageBytes(std::string_view page) { return TextToGbk(page); }

std::string PageDigest(std::string_view page) { return Md5Hex(PageBytes(page), false); }

}  // namespace larkbay
