// Spanish: the translation of lang_en.cpp, with Windows' own Spanish terms (docs/l10n-terms.md).
#include "texts/texts_table.h"

namespace Texts {
namespace {
using enum TextId;
constexpr Entry kEntries[] = {
    {MenuSaveState, "Guardar el último estado"},
    {MenuRunAtStartup, "Ejecutar al iniciar"},
    {MenuQuit, "Salir"},
    {MenuHelp, "Ayuda"},
    {MenuStopSharingFirst, "Detener el uso compartido"},
    {MenuStopSharing, "&Detener el uso compartido"},
    {MenuStartSharing, "&Iniciar el uso compartido"},
    {MenuOffOnPublicNetworks, "Desactivar en redes &públicas"},
    {TipStarting, "Tarnwick\r\nIniciando el programa\r\nEspere..."},
    {TipDisabling, "Tarnwick\r\nDesactivando el uso compartido\r\nEspere..."},
    {TipEnabling, "Tarnwick\r\nActivando el uso compartido\r\nEspere..."},
    {TipEnabled, "Tarnwick v{1}\r\nUso compartido activado\r\nDoble clic para desactivarlo"},
    {TipDisabled, "Tarnwick v{1}\r\nUso compartido desactivado\r\nDoble clic para activarlo"},
    {TipSuggestOff, "Tarnwick v{1}\r\nRed pública conectada con uso compartido de archivos activo.\r\nDoble "
                    "clic para desactivarlo."},
    {TipSuggestOn, "Tarnwick v{1}\r\nNinguna red pública conectada; el uso compartido sigue "
                   "desactivado.\r\nDoble clic para activarlo"},
    {TipRuleUnavailable, "\r\nRegla de red pública: error {1}"},
    {BalloonSuggestOff,
     "Se unió a una red pública mientras el uso compartido de archivos está activado. Haga clic "
     "aquí para desactivarlo."},
    {BalloonSuggestOn,
     "Ya no hay ninguna red pública conectada y el uso compartido de archivos sigue desactivado. "
     "Haga clic aquí para volver a activarlo."},
    {BalloonCutOff, "El uso compartido de archivos está desactivado porque hay una red pública conectada. 1 "
                    "equipo estaba conectado "
                    "a sus carpetas compartidas."
                    "|El uso compartido de archivos está desactivado porque hay una red pública conectada. "
                    "{1} de equipos estaban "
                    "conectados a sus carpetas compartidas."
                    "|El uso compartido de archivos está desactivado porque hay una red pública conectada. "
                    "{1} equipos estaban "
                    "conectados a sus carpetas compartidas."},
    {BalloonCutOffUnknown, "El uso compartido de archivos está desactivado porque hay una red pública "
                           "conectada. No se pudo obtener la "
                           "lista de quién estaba conectado (error {1})."},
    {BoxErrorTitle, "Error"},
    {BoxUnknownError, "Error desconocido"},
    {BoxUnableToStop,
     "Tarnwick no pudo detener el uso compartido. Si el problema persiste, es posible que tenga que "
     "reiniciar el equipo."},
    {BoxUnableToStart,
     "Tarnwick no pudo iniciar el uso compartido. Si el problema persiste, es posible que tenga que "
     "reiniciar el equipo."},
    {BoxBusy,
     "Ya se estaba ejecutando otro cambio del uso compartido de archivos, por lo que Tarnwick no cambió "
     "nada. Vuelva a intentarlo cuando haya terminado."},
    {BoxDeniedByPolicy,
     "Tarnwick no pudo cambiar el uso compartido: en este equipo, una directiva impide ejecutar "
     "programas como administrador. Un administrador debe permitirlo."},
    {BoxUnreachableProgram, "Tarnwick no pudo cambiar el uso compartido: se inició desde una unidad de red a "
                            "la que no puede acceder un "
                            "programa que se ejecuta como administrador. Inicie Tarnwick desde una carpeta "
                            "local o mediante su ruta de red."},
    {BoxUntrustedFolder, "Tarnwick no pudo cambiar el uso compartido: la carpeta {1} no la creó un "
                         "administrador, por lo que Tarnwick no "
                         "confía en su contenido. Un administrador debería eliminar esa carpeta; después, "
                         "Tarnwick la volverá a crear."},
    {BoxLockUnavailable,
     "Tarnwick no pudo cambiar el uso compartido: no pudo crear su archivo de bloqueo {1}. "
     "Reinicie el equipo; si vuelve a ocurrir, un administrador debería eliminar ese archivo."},
    {BoxUntrustedProgram, "Tarnwick se ejecuta como administrador desde la carpeta {1}, que otra cuenta "
                          "puede modificar, por lo que no "
                          "cambia nada. Ejecútelo desde Program Files o desde una carpeta que solo usted y "
                          "los administradores puedan "
                          "modificar."},
    {FailedStop, "No se pudo detener {1}: {2} (error {3})"},
    {FailedStart, "No se pudo iniciar {1}: {2} (error {3})"},
    {FailedPause, "No se pudo pausar {1}: {2} (error {3})"},
    {FailedContinue, "No se pudo reanudar {1}: {2} (error {3})"},
    {TimedOutStop, "La detención de {1} no terminó en 4 minutos."},
    {TimedOutStart, "El inicio de {1} no terminó en 4 minutos."},
    {TimedOutPause, "La pausa de {1} no terminó en 4 minutos."},
    {TimedOutContinue, "La reanudación de {1} no terminó en 4 minutos."},
    {WentBackStart, "No se pudo iniciar {1}: el servicio se volvió a detener mientras se iniciaba. ({2})"},
    {WentBackStop, "No se pudo detener {1}: el servicio volvió a ejecutarse mientras se detenía. ({2})"},
    {WentBackStartWithReason,
     "No se pudo iniciar {1}: el servicio se volvió a detener mientras se iniciaba. {3} ({2})"},
    {WentBackStopWithReason,
     "No se pudo detener {1}: el servicio volvió a ejecutarse mientras se detenía. {3} ({2})"},
    {ServiceNamed, "\"{1}\" ({2})"},
    {ServiceShown, "\"{1}\""},
    {ExitCodeNone, "código de salida 0"},
    {ExitCodeError, "error {1}"},
    {ExitCodeOwn, "error {1}, código propio del servicio {2}"},
    {NoReasonText, "Windows no proporciona ningún texto para este error."},
    {AdviceWentBackStart,
     "El registro Sistema del Visor de eventos (eventvwr.msc) puede indicar por qué se detuvo {1}. Vuelva a "
     "intentarlo cuando se haya corregido."},
    {AdviceWentBackStop,
     "El registro Sistema del Visor de eventos (eventvwr.msc) puede indicar por qué {1} siguió "
     "ejecutándose. Vuelva a intentarlo cuando se haya corregido."},
    {AdviceStillStarting,
     "Es posible que el servicio aún se esté iniciando. Vuelva a intentarlo dentro de un minuto."},
    {AdviceStillStopping,
     "Es posible que el servicio aún se esté deteniendo. Vuelva a intentarlo dentro de un minuto."},
    {AdviceDisabled,
     "El servicio está deshabilitado. Para volver a usarlo, abra Servicios (services.msc), haga doble "
     "clic en {1}, establezca su Tipo de inicio en Manual o Automático, haga clic en Aceptar (OK) y "
     "vuelva a intentarlo."},
    {AdviceAccessDenied, "Windows no permitió que Tarnwick cambiara {1}. Un administrador debe permitirlo."},
    {AdviceCannotStop,
     "{1} no acepta una solicitud de detención, por lo que Tarnwick dejó todos los servicios como "
     "estaban. Detenga {1} usted mismo en Servicios (services.msc), o cierre el programa al que "
     "pertenece, y vuelva a intentarlo."},
    {AdviceBusy,
     "{1} se está iniciando o deteniendo y no puede aceptar la solicitud ahora. Vuelva a intentarlo "
     "dentro de un minuto."},
    {AdviceDependentNamed,
     "{1} depende de él y todavía se está ejecutando. Detenga primero {1} o vuelva a intentarlo "
     "cuando se haya detenido."},
    {AdviceDependent,
     "Un servicio que depende de él todavía se está ejecutando. Vuelva a intentarlo cuando se haya "
     "detenido."},
    {QuestionConnected, "1 equipo está conectado a sus carpetas compartidas: {2}."
                        "|{1} de equipos están conectados a sus carpetas compartidas: {2}."
                        "|{1} equipos están conectados a sus carpetas compartidas: {2}."},
    {QuestionFilesHidden, "Los archivos abiertos solo se muestran a los administradores."},
    {QuestionStopAnyway, "¿Detener el uso compartido de todos modos?"},
    {SentenceSeparator, " "},
    {ListSeparator, ", "},
    {ListAndMore, "{2} y 1 más|{2} y {1} más|{2} y {1} más"},
    {ConnectionWith, "{1} ({2})"},
    {ConnectionUserFiles, "{1}, {2}"},
    {OpenFiles, "1 archivo abierto: {2}|{1} de archivos abiertos: {2}|{1} archivos abiertos: {2}"},
    {ErrorUnableToWrite, "No se puede escribir en {1}"},
    {ErrorFailedToSetData, "No se pudieron establecer los datos de \"{1}\""},
    {ErrorInvalidDataType, "Tipo de datos no válido para \"{1}\""},
    {ErrorAutorunOff, "No se pudo configurar Tarnwick para que no se inicie con Windows."},
    {ErrorAutorunOn, "No se pudo configurar Tarnwick para que se inicie con Windows."},
    {HelpElevated,
     "Tarnwick se ejecuta como administrador, por lo que no abre su página de ayuda: el navegador "
     "también se ejecutaría como administrador. Abra {1} desde el Explorador de archivos."},
};
} // namespace

const Language Spanish = {"es", PluralRule::OneManyOther, kEntries, std::size(kEntries)};

} // namespace Texts
