#include "cli/cli_texts.h"

#include "core/settings_record.h"

#include <array>

namespace trgui::cli {

namespace {

struct Line {
    Say what;
    std::array<const char*, 3> text;
};

constexpr Line kLines[] = {
    {Say::NoDevice,
     {"Kein Gerät antwortet an %1.", "No device answers on %1.", "Aucun appareil ne répond sur %1."}},
    {Say::NotARead,
     {"Die Konfiguration konnte nicht vollständig gelesen werden (%1).",
      "The configuration could not be read whole (%1).", "La configuration n'a pas pu être lue entièrement (%1)."}},
    {Say::Written, {"Geschrieben: %1", "Written: %1", "Écrit : %1"}},
    {Say::CannotWrite,
     {"%1 kann nicht geschrieben werden: %2", "%1 cannot be written: %2", "Impossible d'écrire %1 : %2"}},
    {Say::CannotRead, {"%1 kann nicht gelesen werden: %2", "%1 cannot be read: %2", "Impossible de lire %1 : %2"}},
    {Say::NotOurs,
     {"%1 ist keine Konfigurationsdatei.", "%1 is not a configuration file.",
      "%1 n'est pas un fichier de configuration."}},
    {Say::OtherFamily,
     {"Die Datei ist für %1, das Gerät ist ein %2: eine andere Familie. Nichts geschrieben.",
      "The file is for %1, the device is a %2: another family. Nothing written.",
      "Le fichier est pour %1, l'appareil est un %2 : une autre famille. Rien n'a été écrit."}},
    {Say::CheckFailed,
     {"Die Konfiguration in %1 besteht die Prüfung nicht. Nichts geschrieben.",
      "The configuration in %1 fails the check. Nothing written.",
      "La configuration de %1 ne passe pas la vérification. Rien n'a été écrit."}},
    {Say::NothingToWrite,
     {"Das Gerät hält diese Konfiguration schon. Nichts geschrieben.",
      "The device already holds this configuration. Nothing written.",
      "L'appareil contient déjà cette configuration. Rien n'a été écrit."}},
    {Say::Changes, {"Feld: im Gerät -> neu", "Field: in the device -> new", "Champ : dans l'appareil -> nouveau"}},
    {Say::Ask, {"Schreiben? [j/N] ", "Write? [y/N] ", "Écrire ? [o/N] "}},
    {Say::NotConfirmed,
     {"Nicht bestätigt: --yes geben, um ohne Terminal zu schreiben. Nichts geschrieben.",
      "Not confirmed: give --yes to write without a terminal. Nothing written.",
      "Non confirmé : indiquez --yes pour écrire sans terminal. Rien n'a été écrit."}},
    {Say::Declined, {"Abgebrochen. Nichts geschrieben.", "Cancelled. Nothing written.", "Annulé. Rien n'a été écrit."}},
    {Say::NotAcknowledged,
     {"Das Gerät hat die Konfiguration nicht bestätigt.", "The device did not acknowledge the configuration.",
      "L'appareil n'a pas acquitté la configuration."}},
    {Say::Verified,
     {"Geschrieben und zurückgelesen: das Gerät hält die Konfiguration.",
      "Written and read back: the device holds the configuration.",
      "Écrite et relue : l'appareil contient la configuration."}},
    {Say::Differs,
     {"Das Gerät hält andere Werte als gesendet (gesendet -> im Gerät):",
      "The device holds other values than were sent (sent -> held):",
      "L'appareil contient d'autres valeurs que celles envoyées (envoyé -> dans l'appareil) :"}},
    {Say::NotVerified,
     {"Bestätigt, aber nicht zurückgelesen: nicht geprüft. Lesen Sie die Konfiguration erneut.",
      "Acknowledged but not read back: not verified. Read the configuration again.",
      "Acquittée mais non relue : non vérifiée. Relisez la configuration."}},
    {Say::Recording,
     {"%1 Zeilen, %2 s von %3 s", "%1 rows, %2 s of %3 s", "%1 lignes, %2 s sur %3 s"}},
    {Say::RowsLost,
     {"%1 Zeilen konnten nicht geschrieben werden: %2", "%1 rows could not be written: %2",
      "%1 lignes n'ont pas pu être écrites : %2"}},
    {Say::Interrupted,
     {"Unterbrochen; die Datei ist vollständig bis zur letzten Zeile.",
      "Interrupted; the file is whole up to its last row.", "Interrompu ; le fichier est complet jusqu'à sa dernière ligne."}},
    {Say::ReportWritten, {"Bericht: %1", "Report: %1", "Rapport : %1"}},
    {Say::LogNotWritten,
     {"Das Servicelog %1 konnte nicht geschrieben werden: %2", "The service log %1 could not be written: %2",
      "Le journal d'intervention %1 n'a pas pu être écrit : %2"}},
};

} // namespace

QString say(Say what, int language)
{
    for (const Line& line : kLines) {
        if (line.what == what)
            return QString::fromUtf8(line.text[core::languageIndex(language)]);
    }
    return {};
}

} // namespace trgui::cli
