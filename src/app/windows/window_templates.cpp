#include "app/windows/window_templates.h"

#include <array>

namespace larkbay {
namespace {

using K = ControlKind;
using F = FontKind;
using namespace control_flags;

constexpr std::string_view kSupportText =
    "请大家支持正版！！！    禁止进行售卖！！！";

constexpr std::array kStartupControls{
    ControlTemplate{"时钟1", K::Timer, "", 0, {0, 0, 0, 0}, 0, F::Window, "1000"},
    ControlTemplate{"标签_版本标题", K::Label, "", 0, {125, 150, 200, 30}, kDisabled, F::Window, ""},
    ControlTemplate{"编辑框_控制台", K::EditBox, "", 0, {125, 180, 200, 100},
                    kDisabled | kMultiLine, F::Window, ""},
    ControlTemplate{"图片框_Logo", K::PictureBox, "", 0, {0, 0, 400, 150}, kDisabled, F::Window,
                    ""},
};

constexpr std::string_view kTabs = "选择夹_功能栏";
constexpr std::string_view kDjInfo = "分组框_DJ_信息";

constexpr std::array kMainControls{
    ControlTemplate{"超文本浏览框_播放器", K::HtmlView, "", 0, {-1, -1, 650, 30}, 0, F::Window, ""},
    ControlTemplate{"水星领航员1", K::EmbeddedBrowser, "", 0, {-3, 0, 650, 61}, 0, F::Window, ""},
    ControlTemplate{kTabs, K::TabControl, "", 0, {-1, 29, 647, 600}, kHandCursor, F::YaHei12,
                    "DJ高品模块|音乐高品模块|下载管理模块"},
    // Page 0: DJ search.
    ControlTemplate{"DJ_组合框_搜索类型", K::ComboBox, kTabs, 0, {10, 35, 100, 30}, kHandCursor,
                    F::YaHei16Bold, "歌名搜索"},
    ControlTemplate{"DJ_编辑框_搜索文本", K::EditBox, kTabs, 0, {115, 35, 225, 30}, 0, F::YaHei12,
                    "请输入内容"},
    ControlTemplate{"DJ_组合框_搜索站点", K::ComboBox, kTabs, 0, {345, 35, 150, 30}, 0,
                    F::YaHei16Bold, "DJ娱乐网"},
    ControlTemplate{"DJ_透明标签_遮挡搜索站点", K::TransparentLabel, kTabs, 0, {345, 35, 150, 30},
                    kHandCursor, F::Window, ""},
    ControlTemplate{"DJ_选择框_排序", K::CheckBox, kTabs, 0, {500, 35, 40, 30}, kHandCursor,
                    F::Window, "最新"},
    ControlTemplate{"DJ_按钮_查找", K::Button, kTabs, 0, {550, 35, 85, 30}, kHandCursor, F::Window,
                    "查找"},
    ControlTemplate{"进度条_DJ", K::ProgressBar, kTabs, 0, {10, 65, 625, 10}, kDisabled, F::Window,
                    ""},
    ControlTemplate{"DJ_超级列表框_搜索结果", K::ListView, kTabs, 0, {10, 75, 625, 300}, 0,
                    F::YaHei12, ""},
    ControlTemplate{"DJ_透明标签_遮挡超级列表框", K::TransparentLabel, kTabs, 0, {10, 75, 620, 26},
                    0, F::Window, ""},
    ControlTemplate{"DJ_透明标签_页数信息栏", K::TransparentLabel, kTabs, 0, {15, 380, 430, 30},
                    kDisabled, F::Window, kSupportText},
    ControlTemplate{"DJ_按钮_上一页", K::Button, kTabs, 0, {460, 380, 80, 30},
                    kDisabled | kHandCursor, F::Window, "上一页"},
    ControlTemplate{"DJ_按钮_下一页", K::Button, kTabs, 0, {550, 380, 85, 30},
                    kDisabled | kHandCursor, F::Window, "下一页"},
    ControlTemplate{kDjInfo, K::GroupBox, kTabs, 0, {10, 420, 625, 140}, kHidden | kDisabled,
                    F::Window, "歌曲信息面板"},
    ControlTemplate{"DJ_信息_标签_搜索方式", K::TransparentLabel, kDjInfo, 0, {10, 20, 605, 15},
                    kDisabled, F::YaHei11, "当前搜索方式："},
    ControlTemplate{"DJ_信息_标签_歌曲编号", K::TransparentLabel, kDjInfo, 0, {10, 40, 605, 15},
                    kDisabled, F::YaHei12, "歌曲编号："},
    ControlTemplate{"DJ_信息_标签_歌曲名称", K::TransparentLabel, kDjInfo, 0, {10, 60, 605, 15},
                    kDisabled, F::YaHei12, "歌曲名称："},
    ControlTemplate{"DJ_信息_标签_作者名称", K::TransparentLabel, kDjInfo, 0, {10, 80, 300, 15},
                    kDisabled, F::YaHei12, "作者名称：    "},
    ControlTemplate{"DJ_信息_标签_歌曲时长_歌曲大小", K::TransparentLabel, kDjInfo, 0,
                    {10, 100, 300, 15}, kDisabled, F::YaHei12,
                    "歌曲时长：        歌曲大小：     "},
    ControlTemplate{"DJ_信息_标签_更新日期", K::TransparentLabel, kDjInfo, 0, {10, 120, 300, 15},
                    kDisabled, F::YaHei12, "更新日期："},
    // Page 1: song search.
    ControlTemplate{"Song_编辑框_搜索文本", K::EditBox, kTabs, 1, {10, 35, 400, 30}, 0, F::YaHei12,
                    "请输入内容"},
    ControlTemplate{"Song_组合框_搜索站点", K::ComboBox, kTabs, 1, {415, 35, 130, 30}, kHandCursor,
                    F::YaHei16Bold, "QQ音乐"},
    ControlTemplate{"Song_按钮_查找", K::Button, kTabs, 1, {550, 35, 85, 30}, kHandCursor,
                    F::Window, "查找"},
    ControlTemplate{"进度条_Song", K::ProgressBar, kTabs, 1, {10, 65, 625, 10}, kDisabled,
                    F::Window, ""},
    ControlTemplate{"Song_超级列表框_搜索结果", K::ListView, kTabs, 1, {10, 75, 625, 300}, 0,
                    F::YaHei12, ""},
    ControlTemplate{"Song_透明标签_遮挡超级列表框", K::TransparentLabel, kTabs, 1,
                    {10, 75, 620, 26}, 0, F::Window, ""},
    ControlTemplate{"Song_透明标签_页数信息栏", K::TransparentLabel, kTabs, 1, {15, 380, 430, 30},
                    kDisabled, F::Window, kSupportText},
    ControlTemplate{"Song_按钮_上一页", K::Button, kTabs, 1, {460, 380, 80, 30},
                    kDisabled | kHandCursor, F::Window, "上一页"},
    ControlTemplate{"Song_按钮_下一页", K::Button, kTabs, 1, {550, 380, 85, 30},
                    kDisabled | kHandCursor, F::Window, "下一页"},
    // Page 2: downloads.
    ControlTemplate{"超级列表框_下载管理模块", K::ListView, kTabs, 2, {10, 35, 625, 340}, 0,
                    F::Window, ""},
    ControlTemplate{"Song_透明标签_遮挡超级列表框1", K::TransparentLabel, kTabs, 2,
                    {10, 35, 620, 26}, 0, F::Window, ""},
    ControlTemplate{"按钮_下载到", K::Button, kTabs, 2, {10, 385, 70, 30}, kHandCursor, F::Window,
                    "下载到："},
    ControlTemplate{"编辑框_保存位置", K::EditBox, kTabs, 2, {90, 385, 420, 30},
                    kDisabled | kHandCursor, F::Window, ""},
    ControlTemplate{"按钮_保存位置", K::Button, kTabs, 2, {520, 385, 110, 30}, kHandCursor,
                    F::Window, "浏览目录"},
};

constexpr std::array kSiteControls{
    ControlTemplate{"超文本浏览框", K::HtmlView, "", 0, {0, 0, 490, 465}, 0, F::Window, ""},
};

constexpr std::array kDownloadColumns{
    ColumnTemplate{"序号", 42, ColumnAlign::Left},
    ColumnTemplate{"文件名", 350, ColumnAlign::Left},
    ColumnTemplate{"文件大小", 76, ColumnAlign::Left},
    ColumnTemplate{"下载进度", 76, ColumnAlign::Right},
    ColumnTemplate{"下载状态", 76, ColumnAlign::Left},
    ColumnTemplate{"下载标识", 0, ColumnAlign::Left},  // the task key, never shown
};

constexpr WindowTemplate kStartupWindow{"StartupWindow", "", {50, 50, 400, 380}, kStartupControls};
constexpr WindowTemplate kMainWindow{
    "MainWindow", "Lark-Bay 解析工具2.0   Velmont 【bbs.lark-bay.net】 Lark-Bay 制作",
    {50, 50, 650, 664}, kMainControls};
constexpr WindowTemplate kSiteWindow{"SiteWindow", "选择站点", {50, 50, 500, 500}, kSiteControls};

}  // namespace

const WindowTemplate& StartupWindowTemplate() { return kStartupWindow; }
const WindowTemplate& MainWindowTemplate() { return kMainWindow; }
const WindowTemplate& SiteWindowTemplate() { return kSiteWindow; }
std::span<const ColumnTemplate> DownloadListColumns() { return kDownloadColumns; }

}  // namespace larkbay
