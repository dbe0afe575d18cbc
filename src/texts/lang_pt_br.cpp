// Brazilian Portuguese: the translation of lang_en.cpp, with Windows' own Portuguese (Brazil) terms
// (docs/l10n-terms.md).
#include "texts/texts_table.h"

namespace Texts {
namespace {
using enum TextId;
constexpr Entry kEntries[] = {
    {MenuSaveState, "Salvar o último estado"},
    {MenuRunAtStartup, "Executar na inicialização"},
    {MenuQuit, "Sair"},
    {MenuHelp, "Ajuda"},
    {MenuStopSharingFirst, "Parar o compartilhamento"},
    {MenuStopSharing, "&Parar o compartilhamento"},
    {MenuStartSharing, "&Iniciar o compartilhamento"},
    {MenuOffOnPublicNetworks, "&Desativar em redes públicas"},
    {TipStarting, "Tarnwick\r\nIniciando o programa\r\nAguarde..."},
    {TipDisabling, "Tarnwick\r\nDesativando o compartilhamento\r\nAguarde..."},
    {TipEnabling, "Tarnwick\r\nAtivando o compartilhamento\r\nAguarde..."},
    {TipEnabled, "Tarnwick v{1}\r\nCompartilhamento ativo\r\nClique duas vezes para desativar"},
    {TipDisabled, "Tarnwick v{1}\r\nCompartilhamento inativo\r\nClique duas vezes para ativar"},
    {TipSuggestOff, "Tarnwick v{1}\r\nRede pública conectada e compartilhamento de arquivos ativo.\r\nClique "
                    "duas vezes para desativar."},
    {TipSuggestOn, "Tarnwick v{1}\r\nNenhuma rede pública conectada; compartilhamento ainda "
                   "inativo.\r\nClique duas vezes para ativar"},
    {TipRuleUnavailable, "\r\nRegra de rede pública: erro {1}"},
    {BalloonSuggestOff,
     "Você entrou em uma rede pública enquanto o compartilhamento de arquivos está ativado. Clique "
     "aqui para desativá-lo."},
    {BalloonSuggestOn, "Nenhuma rede pública está mais conectada e o compartilhamento de arquivos continua "
                       "desativado. Clique aqui para reativá-lo."},
    {BalloonCutOff, "O compartilhamento de arquivos está desativado porque uma rede pública está conectada. "
                    "{1} computador estava "
                    "conectado às suas pastas compartilhadas."
                    "|O compartilhamento de arquivos está desativado porque uma rede pública está conectada. "
                    "{1} de computadores "
                    "estavam conectados às suas pastas compartilhadas."
                    "|O compartilhamento de arquivos está desativado porque uma rede pública está conectada. "
                    "{1} computadores "
                    "estavam conectados às suas pastas compartilhadas."},
    {BalloonCutOffUnknown, "O compartilhamento de arquivos está desativado porque uma rede pública está "
                           "conectada. Não foi possível listar "
                           "quem estava conectado (erro {1})."},
    {BoxErrorTitle, "Erro"},
    {BoxUnknownError, "Erro desconhecido"},
    {BoxUnableToStop,
     "O Tarnwick não conseguiu parar o compartilhamento. Se o problema persistir, talvez seja "
     "necessário reiniciar o computador."},
    {BoxUnableToStart,
     "O Tarnwick não conseguiu iniciar o compartilhamento. Se o problema persistir, talvez seja "
     "necessário reiniciar o computador."},
    {BoxBusy,
     "Outra alternância do compartilhamento de arquivos estava em andamento, então o Tarnwick não alterou "
     "nada. Tente novamente quando ela terminar."},
    {BoxDeniedByPolicy,
     "O Tarnwick não conseguiu alternar o compartilhamento: neste computador, uma política impede "
     "a execução de programas como administrador. Um administrador precisa permitir isso."},
    {BoxUnreachableProgram, "O Tarnwick não conseguiu alternar o compartilhamento: ele foi iniciado a partir "
                            "de uma unidade de rede que um "
                            "programa executado como administrador não consegue acessar. Inicie o Tarnwick a "
                            "partir de uma pasta local ou "
                            "pelo seu caminho de rede."},
    {BoxUntrustedFolder, "O Tarnwick não conseguiu alternar o compartilhamento: a pasta {1} não foi criada "
                         "por um administrador, então o "
                         "Tarnwick não confia no seu conteúdo. Um administrador deve excluir essa pasta; "
                         "depois, o Tarnwick a criará "
                         "novamente."},
    {BoxLockUnavailable,
     "O Tarnwick não conseguiu alternar o compartilhamento: não foi possível criar o seu arquivo "
     "de bloqueio {1}. Reinicie o computador; se isso acontecer novamente, um administrador deve "
     "excluir esse arquivo."},
    {BoxUntrustedProgram, "O Tarnwick está sendo executado como administrador a partir da pasta {1}, que "
                          "outra conta pode alterar, então "
                          "ele não alterna nada. Execute-o a partir de Program Files ou de uma pasta que "
                          "somente você e os administradores "
                          "possam alterar."},
    {FailedStop, "Falha ao parar {1}: {2} (erro {3})"},
    {FailedStart, "Falha ao iniciar {1}: {2} (erro {3})"},
    {FailedPause, "Falha ao pausar {1}: {2} (erro {3})"},
    {FailedContinue, "Falha ao continuar {1}: {2} (erro {3})"},
    {TimedOutStop, "A parada de {1} não terminou em 4 minutos."},
    {TimedOutStart, "A inicialização de {1} não terminou em 4 minutos."},
    {TimedOutPause, "A pausa de {1} não terminou em 4 minutos."},
    {TimedOutContinue, "A continuação de {1} não terminou em 4 minutos."},
    {WentBackStart, "Falha ao iniciar {1}: o serviço parou novamente enquanto estava sendo iniciado. ({2})"},
    {WentBackStop,
     "Falha ao parar {1}: o serviço voltou a ser executado enquanto estava sendo parado. ({2})"},
    {WentBackStartWithReason,
     "Falha ao iniciar {1}: o serviço parou novamente enquanto estava sendo iniciado. {3} ({2})"},
    {WentBackStopWithReason,
     "Falha ao parar {1}: o serviço voltou a ser executado enquanto estava sendo parado. {3} ({2})"},
    {ServiceNamed, "\"{1}\" ({2})"},
    {ServiceShown, "\"{1}\""},
    {ExitCodeNone, "código de saída 0"},
    {ExitCodeError, "erro {1}"},
    {ExitCodeOwn, "erro {1}, código próprio do serviço {2}"},
    {NoReasonText, "O Windows não fornece nenhum texto para este erro."},
    {AdviceWentBackStart, "O log Sistema do Visualizador de Eventos (eventvwr.msc) pode informar por que {1} "
                          "parou. Tente novamente depois "
                          "de corrigir isso."},
    {AdviceWentBackStop,
     "O log Sistema do Visualizador de Eventos (eventvwr.msc) pode informar por que {1} continuou "
     "em execução. Tente novamente depois de corrigir isso."},
    {AdviceStillStarting, "Talvez o serviço ainda esteja sendo iniciado. Tente novamente em um minuto."},
    {AdviceStillStopping, "Talvez o serviço ainda esteja sendo parado. Tente novamente em um minuto."},
    {AdviceDisabled,
     "O serviço está desabilitado. Para usá-lo novamente, abra Serviços (services.msc), clique duas "
     "vezes em {1}, defina o Tipo de inicialização como Manual ou Automático, clique em OK e tente "
     "novamente."},
    {AdviceAccessDenied,
     "O Windows não permitiu que o Tarnwick alterasse {1}. Um administrador precisa permitir isso."},
    {AdviceCannotStop,
     "{1} não aceita uma solicitação de parada, então o Tarnwick deixou todos os serviços como "
     "estavam. Pare {1} você mesmo em Serviços (services.msc), ou feche o programa ao qual ele "
     "pertence, e tente novamente."},
    {AdviceBusy,
     "{1} está sendo iniciado ou parado e não pode aceitar a solicitação agora. Tente novamente em um "
     "minuto."},
    {AdviceDependentNamed,
     "{1} depende dele e ainda está em execução. Pare {1} primeiro ou tente novamente depois "
     "que ele parar."},
    {AdviceDependent,
     "Um serviço que depende dele ainda está em execução. Tente novamente depois que ele parar."},
    {QuestionConnected, "{1} computador está conectado às suas pastas compartilhadas: {2}."
                        "|{1} de computadores estão conectados às suas pastas compartilhadas: {2}."
                        "|{1} computadores estão conectados às suas pastas compartilhadas: {2}."},
    {QuestionFilesHidden, "Os arquivos abertos são mostrados somente para administradores."},
    {QuestionStopAnyway, "Parar o compartilhamento mesmo assim?"},
    {SentenceSeparator, " "},
    {ListSeparator, ", "},
    {ListAndMore, "{2} e mais {1}|{2} e mais {1}|{2} e mais {1}"},
    {ConnectionWith, "{1} ({2})"},
    {ConnectionUserFiles, "{1}, {2}"},
    {OpenFiles, "{1} arquivo aberto: {2}|{1} de arquivos abertos: {2}|{1} arquivos abertos: {2}"},
    {ErrorUnableToWrite, "Não é possível gravar em {1}"},
    {ErrorFailedToSetData, "Falha ao definir os dados de \"{1}\""},
    {ErrorInvalidDataType, "Tipo de dados inválido para \"{1}\""},
    {ErrorAutorunOff, "Não foi possível configurar o Tarnwick para não iniciar com o Windows."},
    {ErrorAutorunOn, "Não foi possível configurar o Tarnwick para iniciar com o Windows."},
    {HelpElevated,
     "O Tarnwick está sendo executado como administrador, então não abre sua página de ajuda: o "
     "navegador também seria executado como administrador. Em vez disso, abra {1} no Explorador de "
     "Arquivos."},
};
} // namespace

const Language BrazilianPortuguese = {"pt-BR", PluralRule::ZeroOneManyOther, kEntries, std::size(kEntries)};

} // namespace Texts
