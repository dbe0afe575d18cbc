// Simplified Chinese: the translation of lang_en.cpp, with Windows' own Simplified Chinese terms
// (docs/l10n-terms.md).
#include "texts/texts_table.h"

namespace Texts {
namespace {
using enum TextId;
constexpr Entry kEntries[] = {
    {MenuSaveState, "保存上次状态"},
    {MenuRunAtStartup, "开机时运行"},
    {MenuQuit, "退出"},
    {MenuHelp, "帮助"},
    {MenuStopSharingFirst, "停止共享"},
    {MenuStopSharing, "停止共享(&S)"},
    {MenuStartSharing, "开始共享(&S)"},
    {MenuOffOnPublicNetworks, "在公用网络上关闭(&O)"},
    {TipStarting, "Tarnwick\r\n程序正在启动\r\n请稍候..."},
    {TipDisabling, "Tarnwick\r\n正在禁用共享\r\n请稍候..."},
    {TipEnabling, "Tarnwick\r\n正在启用共享\r\n请稍候..."},
    {TipEnabled, "Tarnwick v{1}\r\n共享已启用\r\n双击以禁用"},
    {TipDisabled, "Tarnwick v{1}\r\n共享已禁用\r\n双击以启用"},
    {TipSuggestOff, "Tarnwick v{1}\r\n你在文件共享处于打开状态时加入了公用网络。\r\n双击以将其关闭。"},
    {TipSuggestOn, "Tarnwick v{1}\r\n未连接任何公用网络；共享仍处于关闭状态。\r\n双击以启用"},
    {TipRuleUnavailable, "\r\n公用网络规则不可用：{1}"},
    {BalloonSuggestOff, "你在文件共享处于打开状态时加入了公用网络。单击此处将其关闭。"},
    {BalloonSuggestOn, "已不再连接任何公用网络，而文件共享仍处于关闭状态。单击此处将其重新打开。"},
    {BalloonCutOff, "由于已连接公用网络，文件共享已关闭。曾有 {1} 台计算机连接到你的共享文件夹。"},
    {BalloonCutOffUnknown, "由于已连接公用网络，文件共享已关闭。无法列出曾连接的计算机（错误 {1}）。"},
    {BoxErrorTitle, "错误"},
    {BoxUnknownError, "未知错误"},
    {BoxUnableToStop, "Tarnwick 无法停止共享。如果问题仍然存在，可能需要重启计算机。"},
    {BoxUnableToStart, "Tarnwick 无法开始共享。如果问题仍然存在，可能需要重启计算机。"},
    {BoxBusy, "文件共享的另一个切换正在进行，因此 Tarnwick 未做任何切换。请在它结束后重试。"},
    {BoxDeniedByPolicy,
     "Tarnwick 无法切换共享：此计算机上的策略禁止以管理员身份运行程序。必须由管理员允许此操作。"},
    {BoxUnreachableProgram, "Tarnwick "
                            "无法切换共享：它是从网络驱动器启动的，而以管理员身份运行的程序无法访问该驱动器。"
                            "请从本地文件夹或通过其网络路径启动 Tarnwick。"},
    {BoxUntrustedFolder, "Tarnwick 无法切换共享：文件夹 {1} 不是由管理员创建的，因此 Tarnwick "
                         "不信任其中的内容。管理员应删除该文件夹；之后 Tarnwick 会重新创建它。"},
    {BoxLockUnavailable,
     "Tarnwick 无法切换共享：无法创建其切换锁文件 {1}。请重启计算机；如果再次发生，管理员应删除该文件。"},
    {BoxUntrustedProgram,
     "Tarnwick 正以管理员身份从文件夹 {1} 运行，而其他帐户可以更改该文件夹，因此它不会进行任何切换。请从 "
     "Program Files 或只有你和管理员才能更改的文件夹运行它。"},
    {FailedStop, "停止 {1} 失败：{2}（错误 {3}）"},
    {FailedStart, "启动 {1} 失败：{2}（错误 {3}）"},
    {FailedPause, "暂停 {1} 失败：{2}（错误 {3}）"},
    {FailedContinue, "恢复 {1} 失败：{2}（错误 {3}）"},
    {TimedOutStop, "停止 {1} 未在 4 分钟内完成。"},
    {TimedOutStart, "启动 {1} 未在 4 分钟内完成。"},
    {TimedOutPause, "暂停 {1} 未在 4 分钟内完成。"},
    {TimedOutContinue, "恢复 {1} 未在 4 分钟内完成。"},
    {WentBackStart, "启动 {1} 失败：服务在启动过程中再次停止。（{2}）"},
    {WentBackStop, "停止 {1} 失败：服务在停止过程中恢复为正在运行。（{2}）"},
    {WentBackStartWithReason, "启动 {1} 失败：服务在启动过程中再次停止。{3}（{2}）"},
    {WentBackStopWithReason, "停止 {1} 失败：服务在停止过程中恢复为正在运行。{3}（{2}）"},
    {ServiceNamed, "“{1}”（{2}）"},
    {ServiceShown, "“{1}”"},
    {ExitCodeNone, "退出代码 0"},
    {ExitCodeError, "错误 {1}"},
    {ExitCodeOwn, "错误 {1}，服务自身的代码 {2}"},
    {NoReasonText, "Windows 未提供此错误的说明文字。"},
    {AdviceWentBackStart,
     "事件查看器(eventvwr.msc)中的“系统”日志可能会说明 {1} 停止的原因。解决该问题后请重试。"},
    {AdviceWentBackStop,
     "事件查看器(eventvwr.msc)中的“系统”日志可能会说明 {1} 继续运行的原因。解决该问题后请重试。"},
    {AdviceStillStarting, "服务可能仍在启动。请在一分钟后重试。"},
    {AdviceStillStopping, "服务可能仍在停止。请在一分钟后重试。"},
    {AdviceDisabled, "该服务已禁用。若要再次使用它，请打开“服务”(services.msc)，双击 "
                     "{1}，将其“启动类型”设置为“手动”或“自动”，单击“确定”(OK)，然后重试。"},
    {AdviceAccessDenied, "Windows 不允许 Tarnwick 更改 {1}。必须由管理员允许此操作。"},
    {AdviceCannotStop,
     "{1} 不接受停止请求，因此 Tarnwick 保留了所有服务的原有状态。请自行在“服务”(services.msc)中停止 "
     "{1}，或结束它所属的程序，然后重试。"},
    {AdviceBusy, "{1} 正在启动或停止，现在无法接受请求。请在一分钟后重试。"},
    {AdviceDependentNamed, "{1} 依赖于该服务，并且仍在运行。请先停止 {1}，或在它停止后重试。"},
    {AdviceDependent, "某个依赖于该服务的服务仍在运行。请在它停止后重试。"},
    {QuestionConnected, "有 {1} 台计算机连接到你的共享文件夹：{2}。"},
    {QuestionFilesHidden, "打开的文件仅对管理员显示。"},
    {QuestionStopAnyway, "仍要停止共享吗？"},
    {SentenceSeparator, ""},
    {ListSeparator, "、"},
    {ListAndMore, "{2} 以及其他 {1} 项"},
    {ConnectionWith, "{1}（{2}）"},
    {ConnectionUserFiles, "{1}，{2}"},
    {OpenFiles, "{1} 个打开的文件：{2}"},
    {ErrorUnableToWrite, "无法写入 {1}"},
    {ErrorFailedToSetData, "无法设置“{1}”的数据"},
    {ErrorInvalidDataType, "“{1}”的数据类型无效"},
    {ErrorAutorunOff, "无法将 Tarnwick 设置为不随 Windows 启动。"},
    {ErrorAutorunOn, "无法将 Tarnwick 设置为随 Windows 启动。"},
    {HelpElevated, "Tarnwick "
                   "正以管理员身份运行，因此不会打开其帮助页面：否则浏览器也会以管理员身份运行。请改为从文件"
                   "资源管理器打开 {1}。"},
};
} // namespace

const Language SimplifiedChinese = {"zh-CN", PluralRule::None, kEntries, std::size(kEntries)};

} // namespace Texts
