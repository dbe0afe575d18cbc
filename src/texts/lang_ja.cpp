// Japanese: the translation of lang_en.cpp, with Windows' own Japanese terms (docs/l10n-terms.md).
#include "texts/texts_table.h"

namespace Texts {
namespace {
using enum TextId;
constexpr Entry kEntries[] = {
    {MenuSaveState, "最後の状態を保存"},
    {MenuRunAtStartup, "スタートアップ時に実行"},
    {MenuQuit, "終了"},
    {MenuHelp, "ヘルプ"},
    {MenuStopSharingFirst, "共有を停止"},
    {MenuStopSharing, "共有を停止(&S)"},
    {MenuStartSharing, "共有を開始(&S)"},
    {MenuOffOnPublicNetworks, "パブリック ネットワークではオフ(&O)"},
    {TipStarting, "Tarnwick\r\nプログラムを起動しています\r\nお待ちください..."},
    {TipDisabling, "Tarnwick\r\n共有を無効にしています\r\nお待ちください..."},
    {TipEnabling, "Tarnwick\r\n共有を有効にしています\r\nお待ちください..."},
    {TipEnabled, "Tarnwick v{1}\r\n共有: 有効\r\nダブルクリックで無効化"},
    {TipDisabled, "Tarnwick v{1}\r\n共有: 無効\r\nダブルクリックで有効化"},
    {TipSuggestOff, "Tarnwick v{1}\r\nパブリック ネットワークで共有がオンです。\r\nダブルクリックでオフ"},
    {TipSuggestOn, "Tarnwick v{1}\r\nパブリック ネットワーク未接続、共有はオフ。\r\nダブルクリックでオン"},
    {TipRuleUnavailable, "\r\nルール使用不可: {1}"},
    {BalloonSuggestOff, "ファイル共有がオンのままパブリック "
                        "ネットワークに接続しました。オフにするには、ここをクリックしてください。"},
    {BalloonSuggestOn, "パブリック "
                       "ネットワークに接続されていませんが、ファイル共有はオフのままです。オンに戻すには、こ"
                       "こをクリックしてください。"},
    {BalloonCutOff, "パブリック ネットワークに接続されているため、ファイル共有をオフにしました。{1} "
                    "台のコンピューターが共有フォルダーに接続していました。"},
    {BalloonCutOffUnknown, "パブリック "
                           "ネットワークに接続されているため、ファイル共有をオフにしました。接続していたコン"
                           "ピューターを一覧表示できませんでした (エラー {1})。"},
    {BoxErrorTitle, "エラー"},
    {BoxUnknownError, "不明なエラー"},
    {BoxUnableToStop, "Tarnwick "
                      "は共有を停止できませんでした。問題が解決しない場合は、コンピューターの再起動が必要にな"
                      "ることがあります。"},
    {BoxUnableToStart, "Tarnwick "
                       "は共有を開始できませんでした。問題が解決しない場合は、コンピューターの再起動が必要に"
                       "なることがあります。"},
    {BoxBusy, "ファイル共有の別の切り替えが実行中だったため、Tarnwick "
              "は何も切り替えませんでした。その処理が終わってから、もう一度お試しください。"},
    {BoxDeniedByPolicy, "Tarnwick "
                        "は共有を切り替えられませんでした。このコンピューターでは、ポリシーによって、プログラ"
                        "ムを管理者として実行することが禁止されています。管理者が許可する必要があります。"},
    {BoxUnreachableProgram, "Tarnwick "
                            "は共有を切り替えられませんでした。管理者として実行されるプログラムからはアクセス"
                            "できないネットワーク ドライブから起動されています。Tarnwick をローカル "
                            "フォルダーから、またはネットワーク パスで起動してください。"},
    {BoxUntrustedFolder, "Tarnwick は共有を切り替えられませんでした。フォルダー {1} "
                         "は管理者によって作成されたものではないため、Tarnwick "
                         "はその内容を信頼しません。管理者がこのフォルダーを削除してください。その後、Tarnwic"
                         "k が新しく作成します。"},
    {BoxLockUnavailable, "Tarnwick は共有を切り替えられませんでした。切り替え用のロック ファイル {1} "
                         "を作成できませんでした。コンピューターを再起動してください。再び発生する場合は、管"
                         "理者がこのファイルを削除してください。"},
    {BoxUntrustedProgram, "Tarnwick は、別のアカウントが変更できるフォルダー {1} "
                          "から管理者として実行されているため、何も切り替えません。Program Files "
                          "から、またはあなたと管理者だけが変更できるフォルダーから実行してください。"},
    {FailedStop, "{1} の停止に失敗しました: {2} (エラー {3})"},
    {FailedStart, "{1} の開始に失敗しました: {2} (エラー {3})"},
    {FailedPause, "{1} の一時停止に失敗しました: {2} (エラー {3})"},
    {FailedContinue, "{1} の再開に失敗しました: {2} (エラー {3})"},
    {TimedOutStop, "{1} の停止が 4 分以内に完了しませんでした。"},
    {TimedOutStart, "{1} の開始が 4 分以内に完了しませんでした。"},
    {TimedOutPause, "{1} の一時停止が 4 分以内に完了しませんでした。"},
    {TimedOutContinue, "{1} の再開が 4 分以内に完了しませんでした。"},
    {WentBackStart, "{1} の開始に失敗しました: 開始中にサービスが再び停止しました。({2})"},
    {WentBackStop, "{1} の停止に失敗しました: 停止中にサービスが実行中の状態に戻りました。({2})"},
    {WentBackStartWithReason, "{1} の開始に失敗しました: 開始中にサービスが再び停止しました。{3} ({2})"},
    {WentBackStopWithReason,
     "{1} の停止に失敗しました: 停止中にサービスが実行中の状態に戻りました。{3} ({2})"},
    {ServiceNamed, "「{1}」({2})"},
    {ServiceShown, "「{1}」"},
    {ExitCodeNone, "終了コード 0"},
    {ExitCodeError, "エラー {1}"},
    {ExitCodeOwn, "エラー {1}、サービス固有のコード {2}"},
    {NoReasonText, "このエラーについて、Windows から説明は提供されていません。"},
    {AdviceWentBackStart,
     "イベント ビューアー (eventvwr.msc) の [システム] ログに、{1} "
     "が停止した理由が記録されている可能性があります。原因を解決してから、もう一度お試しください。"},
    {AdviceWentBackStop,
     "イベント ビューアー (eventvwr.msc) の [システム] ログに、{1} "
     "が実行され続けた理由が記録されている可能性があります。原因を解決してから、もう一度お試しください。"},
    {AdviceStillStarting, "サービスはまだ開始中の可能性があります。1 分後にもう一度お試しください。"},
    {AdviceStillStopping, "サービスはまだ停止中の可能性があります。1 分後にもう一度お試しください。"},
    {AdviceDisabled, "サービスは無効になっています。再び使用するには、[サービス] (services.msc) を開き、{1} "
                     "をダブルクリックして、[スタートアップの種類] を [手動] または [自動] に設定し、[OK] "
                     "をクリックしてから、もう一度お試しください。"},
    {AdviceAccessDenied,
     "Windows によって、Tarnwick による {1} の変更が許可されませんでした。管理者が許可する必要があります。"},
    {AdviceCannotStop,
     "{1} は停止要求を受け付けないため、Tarnwick はすべてのサービスを元の状態のままにしました。[サービス] "
     "(services.msc) で {1} "
     "を自分で停止するか、そのサービスが属するプログラムを終了してから、もう一度お試しください。"},
    {AdviceBusy,
     "{1} は開始または停止の処理中のため、現在は要求を受け付けられません。1 分後にもう一度お試しください。"},
    {AdviceDependentNamed, "{1} がこのサービスに依存していて、まだ実行中です。先に {1} を停止するか、{1} "
                           "が停止してから、もう一度お試しください。"},
    {AdviceDependent,
     "このサービスに依存するサービスがまだ実行中です。そのサービスが停止してから、もう一度お試しください。"},
    {QuestionConnected, "{1} 台のコンピューターが共有フォルダーに接続しています: {2}。"},
    {QuestionFilesHidden, "開いているファイルは管理者にのみ表示されます。"},
    {QuestionStopAnyway, "それでも共有を停止しますか?"},
    {SentenceSeparator, ""},
    {ListSeparator, "、"},
    {ListAndMore, "{2} ほか {1} 件"},
    {ConnectionWith, "{1} ({2})"},
    {ConnectionUserFiles, "{1}、{2}"},
    {OpenFiles, "開いているファイル {1} 件: {2}"},
    {ErrorUnableToWrite, "{1} に書き込めません"},
    {ErrorFailedToSetData, "「{1}」のデータを設定できませんでした"},
    {ErrorInvalidDataType, "「{1}」のデータ型が無効です"},
    {ErrorAutorunOff, "Tarnwick が Windows と一緒に起動しないように設定できませんでした。"},
    {ErrorAutorunOn, "Tarnwick が Windows と一緒に起動するように設定できませんでした。"},
    {HelpElevated, "Tarnwick は管理者として実行されているため、ヘルプ ページを開きません "
                   "(ブラウザーも管理者として実行されてしまうためです)。代わりに、エクスプローラーから {1} "
                   "を開いてください。"},
};
} // namespace

const Language Japanese = {"ja", PluralRule::None, kEntries, std::size(kEntries)};

} // namespace Texts
