#include "settings/window/pages/PlatformTexts.h"

#include "language/LanguageManager.h"

// Only the wording of this platform is looked up (the other is not even built).
#if defined(Q_OS_MACOS)
#define PLATFORM_TEXT(mac, other) (mac)
#else
#define PLATFORM_TEXT(mac, other) (other)
#endif

namespace {

QString localized(const QString &key, const QStringList &args = {})
{
    return LanguageManager::localized(key, args);
}

} // namespace

namespace PlatformTexts {

// clang-format off
QString loginHelp()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("开机登录时自动在菜单栏启动 Orlenta。需将 App 安装到“应用程序”文件夹并正常签名后才会生效；开发调试时可能注册失败，属正常。")),
        localized(QStringLiteral("登录桌面时自动在系统托盘启动 Orlenta（在 ~/.config/autostart 中添加自启动项）。")));
}

QString systemLanguageHelp()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("跟随系统：按当前 Mac 语言自动选择")),
        localized(QStringLiteral("跟随系统：按当前系统语言自动选择")));
}

QString syncTitle()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("iCloud 同步")),
        localized(QStringLiteral("文件夹同步")));
}

QString syncSwitchHelp()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("开启后配置保存到 iCloud 云盘并在多设备间同步；关闭则仅保存在本机文稿。若 iCloud 中还没有配置，会自动复制一份过去。")),
        localized(QStringLiteral("开启后配置保存到同步文件夹，由同步软件在多台设备间同步；关闭则仅保存在本机文档。若同步文件夹中还没有配置，会自动复制一份过去。")));
}

QString syncOnHeadline()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("iCloud 同步已开启")),
        localized(QStringLiteral("文件夹同步已开启")));
}

QString syncOnDetail([[maybe_unused]] const QString &folderName)
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("配置保存到 iCloud 云盘，并在你的多台 Mac 之间同步。")),
        localized(QStringLiteral("配置保存到同步文件夹「%@」，由同步软件在你的多台设备之间同步。"), {folderName}));
}

QString syncOffDetail()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("配置只保存在本机文稿，不参与 iCloud 同步。")),
        localized(QStringLiteral("配置只保存在本机文档，不参与同步。")));
}

QString revealButton()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("在访达中显示")),
        localized(QStringLiteral("在文件管理器中显示")));
}

QString revealHelp()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("在访达中定位并选中该 tallowBay.json 文件")),
        localized(QStringLiteral("在文件管理器中定位并选中该 tallowBay.json 文件")));
}

QString separateFilesNote()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("本机文稿与 iCloud 云盘各存一份 tallowBay.json，不会自动合并；切换开关后看不到对方那套脚本属于正常现象。")),
        localized(QStringLiteral("本机文档与同步文件夹各存一份 tallowBay.json，不会自动合并；切换开关后看不到对方那套脚本属于正常现象。")));
}

QString firstCopyNote()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("若 iCloud 中还没有配置，会把当前本机配置复制一份过去作为起点，之后各存各的。")),
        localized(QStringLiteral("若同步文件夹中还没有配置，会把当前配置复制一份过去作为起点，之后各存各的。更换同步文件夹时也是如此。")));
}

QString newWindowDetail()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("每次运行打开一个独立的 Terminal 窗口。")),
        localized(QStringLiteral("每次运行打开一个独立的终端窗口。")));
}

QString newTabHint()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("需在「系统设置 › 隐私与安全性 › 辅助功能」中授权，否则会自动回退为新窗口。")),
        localized(QStringLiteral("新标签需要终端支持从外部新建标签页：GNOME Terminal、Konsole、Xfce Terminal、Tilix、Terminator、WezTerm，以及开启了远程控制的 kitty；其他终端会自动回退为新窗口。")));
}

QString appearanceNote()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("卡片即为该主题下的界面预览；「跟随系统」会随 macOS 明暗自动切换。")),
        localized(QStringLiteral("卡片即为该主题下的界面预览；「跟随系统」会随桌面的明暗设置自动切换。")));
}

QString tagline()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("macOS 菜单栏 shell 脚本管理器")),
        localized(QStringLiteral("Linux 系统托盘 shell 脚本管理器")));
}

QString updateHelp()
{
    return PLATFORM_TEXT(
        localized(QStringLiteral("通过 Sparkle 检查并安装新版本")),
        localized(QStringLiteral("检查是否有新版本可供下载")));
}
// clang-format on

} // namespace PlatformTexts
