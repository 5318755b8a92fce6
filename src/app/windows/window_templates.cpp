#include "app/windows/window_templates.h"

#include <array>

#include "platform/control_names.h"

namespace larkbay {
namespace {

using K = ControlKind;
using F = FontKind;
using namespace control_flags;

constexpr std::string_view kSupportText =
    "请大家支持正版！！！    禁止进行售卖！！！";

constexpr std::array kStartupControls{
    ControlTemplate{names::kStartupTimer, K::Timer, "", 0, {0, 0, 0, 0}, 0, F::Window, "1000"},
    ControlTemplate{names::kVersionLabel, K::Label, "", 0, {125, 150, 200, 30}, kDisabled,
                    F::Window, ""},
    ControlTemplate{names::kConsole, K::EditBox, "", 0, {125, 180, 200, 100},
                    kDisabled | kMultiLine, F::Window, ""},
    ControlTemplate{names::kLogo, K::PictureBox, "", 0, {0, 0, 400, 150}, kDisabled, F::Window, ""},
};

constexpr std::array kMainControls{
    ControlTemplate{names::kPlayerView, K::HtmlView, "", 0, {-1, -1, 650, 30}, 0, F::Window, ""},
    ControlTemplate{names::kBrowserControl, K::EmbeddedBrowser, "", 0, {-3, 0, 650, 61}, 0,
                    F::Window, ""},
    ControlTemplate{names::kTabControl, K::TabControl, "", 0, {-1, 29, 647, 600}, kHandCursor,
                    F::YaHei12, "DJ高品模块|音乐高品模块|下载管理模块"},
    // Page 0: DJ search.
    ControlTemplate{names::kDjTypeBox, K::ComboBox, names::kTabControl, 0, {10, 35, 100, 30},
                    kHandCursor, F::YaHei16Bold, "歌名搜索"},
    ControlTemplate{names::kDjSearchBox, K::EditBox, names::kTabControl, 0, {115, 35, 225, 30}, 0,
                    F::YaHei12, "请输入内容"},
    ControlTemplate{names::kDjSiteBox, K::ComboBox, names::kTabControl, 0, {345, 35, 150, 30}, 0,
                    F::YaHei16Bold, "DJ娱乐网"},
    ControlTemplate{names::kDjSiteCover, K::TransparentLabel, names::kTabControl, 0,
                    {345, 35, 150, 30}, kHandCursor, F::Window, ""},
    ControlTemplate{names::kDjSortBox, K::CheckBox, names::kTabControl, 0, {500, 35, 40, 30},
                    kHandCursor, F::Window, "最新"},
    ControlTemplate{names::kDjFindButton, K::Button, names::kTabControl, 0, {550, 35, 85, 30},
                    kHandCursor, F::Window, "查找"},
    ControlTemplate{names::kDjProgress, K::ProgressBar, names::kTabControl, 0, {10, 65, 625, 10},
                    kDisabled, F::Window, ""},
    ControlTemplate{names::kDjResultList, K::ListView, names::kTabControl, 0, {10, 75, 625, 300}, 0,
                    F::YaHei12, ""},
    ControlTemplate{names::kDjResultHeaderCover, K::TransparentLabel, names::kTabControl, 0,
                    {10, 75, 620, 26}, 0, F::Window, ""},
    ControlTemplate{names::kDjPageLabel, K::TransparentLabel, names::kTabControl, 0,
                    {15, 380, 430, 30}, kDisabled, F::Window, kSupportText},
    ControlTemplate{names::kDjPreviousButton, K::Button, names::kTabControl, 0, {460, 380, 80, 30},
                    kDisabled | kHandCursor, F::Window, "上一页"},
    ControlTemplate{names::kDjNextButton, K::Button, names::kTabControl, 0, {550, 380, 85, 30},
                    kDisabled | kHandCursor, F::Window, "下一页"},
    ControlTemplate{names::kDjInfoPanel, K::GroupBox, names::kTabControl, 0, {10, 420, 625, 140},
                    kHidden | kDisabled, F::Window, "歌曲信息面板"},
    ControlTemplate{names::kDjInfoSearchType, K::TransparentLabel, names::kDjInfoPanel, 0,
                    {10, 20, 605, 15}, kDisabled, F::YaHei11, "当前搜索方式："},
    ControlTemplate{names::kDjInfoNumber, K::TransparentLabel, names::kDjInfoPanel, 0,
                    {10, 40, 605, 15}, kDisabled, F::YaHei12, "歌曲编号："},
    ControlTemplate{names::kDjInfoName, K::TransparentLabel, names::kDjInfoPanel, 0,
                    {10, 60, 605, 15}, kDisabled, F::YaHei12, "歌曲名称："},
    ControlTemplate{names::kDjInfoAuthor, K::TransparentLabel, names::kDjInfoPanel, 0,
                    {10, 80, 300, 15}, kDisabled, F::YaHei12, "作者名称：    "},
    ControlTemplate{names::kDjInfoLengthSize, K::TransparentLabel, names::kDjInfoPanel, 0,
                    {10, 100, 300, 15}, kDisabled, F::YaHei12, "歌曲时长：        歌曲大小：     "},
    ControlTemplate{names::kDjInfoDate, K::TransparentLabel, names::kDjInfoPanel, 0,
                    {10, 120, 300, 15}, kDisabled, F::YaHei12, "更新日期："},
    // Page 1: song search.
    ControlTemplate{names::kSongSearchBox, K::EditBox, names::kTabControl, 1, {10, 35, 400, 30}, 0,
                    F::YaHei12, "请输入内容"},
    ControlTemplate{names::kSongSiteBox, K::ComboBox, names::kTabControl, 1, {415, 35, 130, 30},
                    kHandCursor, F::YaHei16Bold, "QQ音乐"},
    ControlTemplate{names::kSongFindButton, K::Button, names::kTabControl, 1, {550, 35, 85, 30},
                    kHandCursor, F::Window, "查找"},
    ControlTemplate{names::kSongProgress, K::ProgressBar, names::kTabControl, 1, {10, 65, 625, 10},
                    kDisabled, F::Window, ""},
    ControlTemplate{names::kSongResultList, K::ListView, names::kTabControl, 1, {10, 75, 625, 300},
                    0, F::YaHei12, ""},
    ControlTemplate{names::kSongResultHeaderCover, K::TransparentLabel, names::kTabControl, 1,
                    {10, 75, 620, 26}, 0, F::Window, ""},
    ControlTemplate{names::kSongPageLabel, K::TransparentLabel, names::kTabControl, 1,
                    {15, 380, 430, 30}, kDisabled, F::Window, kSupportText},
    ControlTemplate{names::kSongPreviousButton, K::Button, names::kTabControl, 1,
                    {460, 380, 80, 30}, kDisabled | kHandCursor, F::Window, "上一页"},
    ControlTemplate{names::kSongNextButton, K::Button, names::kTabControl, 1, {550, 380, 85, 30},
                    kDisabled | kHandCursor, F::Window, "下一页"},
    // Page 2: downloads.
    ControlTemplate{names::kDownloadList, K::ListView, names::kTabControl, 2, {10, 35, 625, 340}, 0,
                    F::Window, ""},
    ControlTemplate{names::kDownloadHeaderCover, K::TransparentLabel, names::kTabControl, 2,
                    {10, 35, 620, 26}, 0, F::Window, ""},
    ControlTemplate{names::kDownloadToButton, K::Button, names::kTabControl, 2, {10, 385, 70, 30},
                    kHandCursor, F::Window, "下载到："},
    ControlTemplate{names::kSavePathBox, K::EditBox, names::kTabControl, 2, {90, 385, 420, 30},
                    kDisabled | kHandCursor, F::Window, ""},
    ControlTemplate{names::kSaveFolderButton, K::Button, names::kTabControl, 2, {520, 385, 110, 30},
                    kHandCursor, F::Window, "浏览目录"},
};

constexpr std::array kSiteControls{
    ControlTemplate{names::kSiteView, K::HtmlView, "", 0, {0, 0, 490, 465}, 0, F::Window, ""},
};

constexpr std::array kDownloadColumns{
    ColumnTemplate{"序号", 42, ColumnAlign::Left},
    ColumnTemplate{"文件名", 350, ColumnAlign::Left},
    ColumnTemplate{"文件大小", 76, ColumnAlign::Left},
    ColumnTemplate{"下载进度", 76, ColumnAlign::Right},
    ColumnTemplate{"下载状态", 76, ColumnAlign::Left},
    ColumnTemplate{"下载标识", 0, ColumnAlign::Left},  // the task key, never shown
};

constexpr WindowTemplate kStartupWindow{names::kStartupWindow, "", {50, 50, 400, 380},
                                        kStartupControls};
constexpr WindowTemplate kMainWindow{
    names::kMainWindow, "Lark-Bay 解析工具2.0   Velmont 【bbs.lark-bay.net】 Lark-Bay 制作",
    {50, 50, 650, 664}, kMainControls};
constexpr WindowTemplate kSiteWindow{names::kSiteWindow, "选择站点", {50, 50, 500, 500},
                                     kSiteControls};

}  // namespace

const WindowTemplate& StartupWindowTemplate() { return kStartupWindow; }
const WindowTemplate& MainWindowTemplate() { return kMainWindow; }
const WindowTemplate& SiteWindowTemplate() { return kSiteWindow; }
std::span<const ColumnTemplate> DownloadListColumns() { return kDownloadColumns; }

}  // namespace larkbay
