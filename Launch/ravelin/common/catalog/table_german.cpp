#include "catalog_tables.h"
#include "help_url.h"

namespace NimboNS {

const CatalogEntry kGermanTable[kCatalogSize] = {
    {6, L"Die App-URL (%s) konnte nicht analysiert werden."},
    {7, L"Der Pfad (%s) ist ungültig."},
    {8, L"Der aktuelle Benutzer hat keine Lese- und Schreibberechtigung für den Pfad (%s)."},
    {9, L"Das Verzeichnis (%s) konnte nicht entfernt werden"},
    {10, L"Das Verzeichnis (%s) konnte nicht erstellt werden"},
    {12, L"Auf dem Server ist keine Version dieser App verfügbar."},
    {13, L"Die neueste auf dem Server verfügbare Version dieser App ist älter als die minimal kompatible "
         L"Version."},
    {14, L"Die App kann nicht ausgeführt werden, da die lokale Version abgelaufen ist und auf dem Server "
         L"keine neuere Version verfügbar ist. Weitere Informationen unter: " NIMBO_HELP_URL
         L"App_cannot_run_because_the_local_version_expired.html"},
    {15, L"Die App kann nicht ausgeführt werden, da die lokale Version älter als die minimal kompatible "
         L"Version ist und auf dem Server keine neuere Version verfügbar ist."},
    {16, L"Die lokale Version dieser App ist zu alt. Klicken Sie auf OK, um auf die neueste auf dem Server "
         L"verfügbare Version zu aktualisieren. Wenn Sie auf Abbrechen klicken, kann die App nicht "
         L"ausgeführt werden."},
    {17, L"Die App kann nicht ausgeführt werden, da die lokale Version dieser App zu alt ist."},
    {18, L"Die Konfigurationsdatei (%s) konnte nicht analysiert werden."},
    {19, L"Die Konfigurationsdatei (%s) konnte nicht gespeichert werden."},
    {20, L"Die Laufzeitversion in der Datei manifest.json stimmt nicht mit der in AppConfig konfigurierten "
         L"Version überein. "},
    {21, L"Auf das App-Verzeichnis (%s) oder die Dateien wird von einem anderen Programm zugegriffen. "
         L"Beenden Sie das Programm und versuchen Sie es später erneut."},
    {22, L"Die Datei (%s) konnte nicht aktualisiert werden."},
    {23, L"Die Konfigurationsdatei des Servers hat ein falsches Dateiformat (%s)."},
    {39, L"Eine neue Version des Nimbo Launcher ist verfügbar. Möchten Sie auf die neueste Version "
         L"aktualisieren? \r\n\r\nKlicken Sie auf Ja, um zu aktualisieren.\r\nKlicken Sie auf Nein, um "
         L"weiterhin den vorhandenen Nimbo Launcher zu verwenden."},
    {40, L"Eine neue Version des Nimbo Launcher ist verfügbar. Sie müssen auf die neueste Version "
         L"aktualisieren, um die App auszuführen. \r\n\r\nKlicken Sie auf OK, um zu "
         L"aktualisieren.\r\nKlicken Sie auf Abbrechen, um den Vorgang zu beenden. Die App wird "
         L"geschlossen."},
    {41, L"Die lokale Version dieser App ist abgelaufen. Klicken Sie auf OK, um auf die neueste auf dem "
         L"Server verfügbare Version zu aktualisieren. Wenn Sie auf Abbrechen klicken, kann die App nicht "
         L"ausgeführt werden."},
    {42, L"Die App kann nicht ausgeführt werden, da die lokale Version abgelaufen ist."},
    {43, L"Auf dem Server gibt es neuere Versionen der App. Möchten Sie auf die neueste Version "
         L"aktualisieren? Klicken Sie auf Ja, um zu aktualisieren. Klicken Sie auf Nein, um weiterhin die "
         L"vorhandene App zu verwenden."},
    {44, L"Die Konfigurationsdatei %s konnte nicht heruntergeladen werden; Fehlercode: %d; Fehler: %s. "
         L"Weitere Informationen unter: " NIMBO_HELP_URL L"Failed_to_download_the_config_file.html"},
    {45, L"Das Installationspaket %s konnte nicht heruntergeladen werden; Fehlercode: %d; Fehler: %s."},
    {46, L"Die Datei \"%s\" konnte nicht heruntergeladen werden; Fehlercode: %d; Fehler: %s."},
    {47, L"Die Datei \"%s\" konnte nicht entpackt werden; Fehler: %s."},
    {48, L"Die lokale Konfigurationsdatei konnte nicht geladen werden. Pfad: %s."},
    {49, L"Bei dem Vorgang ist eine Zeitüberschreitung aufgetreten."},
    {50, L"Für den Vorgang konnte keine Verbindung mit dem Server hergestellt werden."},
    {51, L"Die Protokolldaten konnten aufgrund eines internen Fehlers nicht geladen werden (RichEditCtrl "
         L"kann nicht erstellt werden)."},
    {52, L"Eine neue Version des Nimbo Launcher ist verfügbar. Wenden Sie sich an den Administrator, um auf "
         L"die neueste Version zu aktualisieren. Bis zur Aktualisierung wird die vorhandene Version auf "
         L"Ihrem Computer weiterhin zum Ausführen der App verwendet."},
    {53, L"Die Laufzeit-Konfigurationsdatei konnte nicht analysiert werden."},
    {54, L"Die Laufzeitdateien konnten nicht aktualisiert werden."},
    {55, L"Die Konfigurationsdatei der App konnte nicht analysiert werden."},
    {56, L"Die App konnte nicht aktualisiert werden."},
    {57, L"Die Datei (%s) konnte nicht kopiert werden."},
    {58, L"Der App-Launcher muss auf die neueste Version aktualisiert werden."},
    {59, L"Die Datei (%s) wird gerade verwendet."},
    {60, L"Die Datei (%s) konnte nicht registriert werden."},
    {61, L"Die für die Anwendung erforderlichen DLLs/OCXs konnten nicht registriert werden, da elevlink.dll "
         L"nicht geöffnet werden kann."},
    {62, L"Der App-Launcher kann die App nicht starten, da Sie nicht berechtigt sind, die .exe-Datei der App "
         L"im App-Pfad auszuführen.\r\n\r\nLösung: Wenden Sie sich an Ihren App-Administrator, damit er "
         L"einen benutzerdefinierten App-Launcher erstellt, der einen App-Pfad (App Path) festlegt, in dem "
         L"Sie .exe-Dateien ausführen dürfen."},
    {63, L"Unter der Webadresse wurde keine Anwendung gefunden:[%s]; Fehlercode: %d; Fehler: %s. Weitere "
         L"Informationen unter: " NIMBO_HELP_URL L"Unable_to_access_service.html."},
    {64, L"Stellen Sie sicher, dass der Server ausgeführt wird und erreichbar ist. URL: %s; Fehlercode: %d; "
         L"Fehler: %s. Weitere Informationen unter: " NIMBO_HELP_URL L"Failed_to_connect_to_server.html."},
    {65, L"Die App-Umgebung wird initialisiert..."},
    {66, L"URL der Anwendung: %s."},
    {67, L"Protokoll der Anwendung: %s."},
    {68, L"Hostname der Anwendung: %s."},
    {69, L"Serverport der Anwendung: %s."},
    {70, L"Name der Anwendung: %s."},
    {71, L"URL-Parameter der Anwendung: %s."},
    {72, L"Stammpfad der App: %s."},
    {73, L"Laufzeitpfad der App: %s."},
    {74, L"Die lokale Konfigurationsdatei wurde erfolgreich geladen. Pfad: %s."},
    {75, L"App-Version: %s, Aktualisierungsstrategie[Always,Connect,Never]: %d, "
         L"Aktualisierungstyp[FirstDownLoad,SameVersion,AcrossVersion]: %d."},
    {76, L"Die Konfigurationsdatei %s wurde erfolgreich heruntergeladen."},
    {77, L"Aktuelle Serverversion: %s; neueste Version: %s, minimal kompatible Version: %s."},
    {78, L"Die App wird jetzt aktualisiert."},
    {79, L"Die App wurde erfolgreich aktualisiert."},
    {80, L"Launcher-Fortschritt"},
    {81, L"Laufzeit-Fortschritt"},
    {82, L"Anwendungsfortschritt"},
    {83, L"Konfigurationsfortschritt"},
    {84, L"Information"},
    {85, L"Das Programm konnte nicht gestartet werden. Das aktuelle System ist ein 32-Bit-System und kann "
         L"keine 64-Bit-Programme laden."},
    {86, L"Fehler"},
    {87, L"Download der Datei \"%s\" wird gestartet; Dateigröße: %ld."},
    {88, L"Download der Datei \"%s\" beendet; Antwortcode: %d; tatsächliche Größe: %ld."},
    {89, L"Erneuter Versuch, die Datei \"%s\" herunterzuladen; Antwortcode: %d."},
    {90, L"Partial_Content beim Herunterladen der Datei \"%s\"; Antwortcode: %d."},
    {91, L"%s.dll konnte nicht geladen werden. Führen Sie die App-URL erneut aus, um zu prüfen, ob das "
         L"Problem dadurch behoben wird."},
};

}  // namespace NimboNS
