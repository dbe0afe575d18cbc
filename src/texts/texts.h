#pragma once
// Every text Tarnwick shows, by name, in the languages it ships. The English texts are the
// program's own and the fallback; the others are translations of them. A text's parts come in
// by position ({1}, {2}, ...), so a language can put them where its grammar wants them; a text
// that shows a count has one form per plural category of the language, separated by '|', and
// the count is always {1}.
//
// What is written for support (the log, the switch record, the command line's errors) stays
// English and does not come from here.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace Texts {

// Every text by name. X(Name) for each; the comments say what its parts are.
#define TARNWICK_TEXT_IDS(X)                                                                                 \
    /* The popup menu; an '&' marks the access key. */                                                       \
    X(MenuSaveState)                                                                                         \
    X(MenuRunAtStartup)                                                                                      \
    X(MenuQuit)                                                                                              \
    X(MenuHelp)                                                                                              \
    X(MenuStopSharingFirst) /* the caption before the first query has told the state */                      \
    X(MenuStopSharing)                                                                                       \
    X(MenuStartSharing)                                                                                      \
    X(MenuOffOnPublicNetworks)                                                                               \
    /* Tool tips: lines separated by CR LF; {1} is the version. */                                           \
    X(TipStarting)                                                                                           \
    X(TipDisabling)                                                                                          \
    X(TipEnabling)                                                                                           \
    X(TipEnabled)                                                                                            \
    X(TipDisabled)                                                                                           \
    X(TipSuggestOff)                                                                                         \
    X(TipSuggestOn)                                                                                          \
    X(TipRuleUnavailable) /* a line added to the tool tip; {1} is the error as 0x%08X */                     \
    /* Balloons. */                                                                                          \
    X(BalloonSuggestOff)                                                                                     \
    X(BalloonSuggestOn)                                                                                      \
    X(BalloonCutOff)        /* plural: {1} computers */                                                      \
    X(BalloonCutOffUnknown) /* {1} is the error */                                                           \
    /* Boxes: titles, the failure box and the boxes of a switch that could not run. */                       \
    X(BoxErrorTitle)                                                                                         \
    X(BoxUnknownError)                                                                                       \
    X(BoxUnableToStop)                                                                                       \
    X(BoxUnableToStart)                                                                                      \
    X(BoxBusy)                                                                                               \
    X(BoxDeniedByPolicy)                                                                                     \
    X(BoxUnreachableProgram)                                                                                 \
    X(BoxUntrustedFolder)  /* {1} the folder */                                                              \
    X(BoxLockUnavailable)  /* {1} the lock file */                                                           \
    X(BoxUntrustedProgram) /* {1} the program's folder */                                                    \
    /* What failed: {1} the service as named, {2} Windows' reason, {3} the error code. */                    \
    X(FailedStop)                                                                                            \
    X(FailedStart)                                                                                           \
    X(FailedPause)                                                                                           \
    X(FailedContinue)                                                                                        \
    X(TimedOutStop) /* {1} the service as named */                                                           \
    X(TimedOutStart)                                                                                         \
    X(TimedOutPause)                                                                                         \
    X(TimedOutContinue)                                                                                      \
    X(WentBackStart) /* {1} the service as named, {2} the exit code words */                                 \
    X(WentBackStop)                                                                                          \
    X(WentBackStartWithReason) /* {3} Windows' reason */                                                     \
    X(WentBackStopWithReason)                                                                                \
    X(ServiceNamed) /* {1} what Windows shows, {2} the service's name */                                     \
    X(ServiceShown) /* {1} what Windows shows, or the name */                                                \
    X(ExitCodeNone)                                                                                          \
    X(ExitCodeError) /* {1} the error code */                                                                \
    X(ExitCodeOwn)   /* {1} the error code, {2} the service's own code */                                    \
    X(NoReasonText)                                                                                          \
    /* Advice under what failed: {1} the service as shown. */                                                \
    X(AdviceWentBackStart)                                                                                   \
    X(AdviceWentBackStop)                                                                                    \
    X(AdviceStillStarting)                                                                                   \
    X(AdviceStillStopping)                                                                                   \
    X(AdviceDisabled)                                                                                        \
    X(AdviceAccessDenied)                                                                                    \
    X(AdviceCannotStop)                                                                                      \
    X(AdviceBusy)                                                                                            \
    X(AdviceDependentNamed) /* {1} the dependent as shown */                                                 \
    X(AdviceDependent)                                                                                       \
    /* The question before a stop cuts people off. */                                                        \
    X(QuestionConnected) /* plural: {1} computers, {2} the list */                                           \
    X(QuestionFilesHidden)                                                                                   \
    X(QuestionStopAnyway)                                                                                    \
    X(SentenceSeparator)   /* between two sentences */                                                       \
    X(ListSeparator)       /* between two items of a list */                                                 \
    X(ListAndMore)         /* plural: {1} more, after the list {2} */                                        \
    X(ConnectionWith)      /* {1} the computer, {2} what is known of it */                                   \
    X(ConnectionUserFiles) /* {1} the account, {2} its open files */                                         \
    X(OpenFiles)           /* plural: {1} files, {2} their names */                                          \
    /* Settings and help. */                                                                                 \
    X(ErrorUnableToWrite)   /* {1} the file */                                                               \
    X(ErrorFailedToSetData) /* {1} the value's name */                                                       \
    X(ErrorInvalidDataType) /* {1} the value's name */                                                       \
    X(ErrorAutorunOff)                                                                                       \
    X(ErrorAutorunOn)                                                                                        \
    X(HelpElevated) /* {1} the help page */

#define TARNWICK_TEXT_ID(name) name,
enum class TextId : uint16_t { TARNWICK_TEXT_IDS(TARNWICK_TEXT_ID) Count };
#undef TARNWICK_TEXT_ID

// A language Tarnwick ships: its tag as Windows names it, and its table.
struct Language;

// The tags of the languages shipped, English first; the pseudo-language last.
std::vector<std::string> ShippedTags();
inline constexpr const char* EnglishTag = "en";
// The product's name, the same in every language: box titles and the first line of a tool tip.
inline constexpr const char* ProductName = "Tarnwick";
// Accented, longer and bracketed English, for tests that look for texts not in the table,
// cut texts and layouts that fit English only. Windows' own pseudo-locale has this name.
inline constexpr const char* PseudoTag = "qps-ploc";

// The shipped tag for a tag exactly as one of ShippedTags() spells it, or "".
std::string ShippedTag(std::string_view tag);
// The language for a list of tags in the user's order of preference (Windows' display
// languages, or a tag a setting pins): each tag, then its parents (de-AT, de), the first one
// shipped wins. Portuguese goes to Brazilian Portuguese; Traditional Chinese is not shown in
// Simplified. "" when none is shipped.
std::string ResolveLanguage(const std::vector<std::string>& preferred);

// The language of every text from now on; a tag not shipped leaves English.
void SetLanguage(std::string_view tag);
const std::string& CurrentLanguage();

// The text in the current language, its parts put in by position.
std::string Say(TextId id, std::initializer_list<std::string_view> parts = {});
// The same for a text with plural forms: the form for count, which is {1}; parts are {2}, ...
std::string SayCount(TextId id, uint64_t count, std::initializer_list<std::string_view> parts = {});
// The same in a given language.
std::string SayIn(std::string_view tag, TextId id, uint64_t count,
                  std::initializer_list<std::string_view> parts);

// The table as written, for the checks: the raw text of id in the language (forms joined
// by '|'), and how many plural forms the language has.
std::string RawText(std::string_view tag, TextId id);
size_t PluralFormCount(std::string_view tag);
// Which of the language's plural forms a count takes (CLDR's cardinal rules for integers).
size_t PluralForm(std::string_view tag, uint64_t count);
// The name of a text, for messages of the checks.
const char* TextName(TextId id);

} // namespace Texts
