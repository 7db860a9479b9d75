#include "catalog_tables.h"
#include "help_url.h"

namespace NimboNS {

const CatalogEntry kSwedishTable[kCatalogSize] = {
    {6, L"Det gick inte att tolka appens URL (%s)."},
    {7, L"Sökvägen (%s) är ogiltig."},
    {8, L"Den aktuella användaren har inte läs- och skrivbehörighet för sökvägen (%s)."},
    {9, L"Det gick inte att ta bort katalogen (%s)"},
    {10, L"Det gick inte att skapa katalogen (%s)"},
    {12, L"Det finns ingen tillgänglig version av den här appen på servern."},
    {13, L"Den senaste tillgängliga versionen av den här appen på servern är äldre än den lägsta kompatibla "
         L"versionen."},
    {14, L"Appen kan inte köras eftersom den lokala versionen har upphört att gälla och ingen nyare version "
         L"finns tillgänglig på servern. Läs mer på: " NIMBO_HELP_URL
         L"App_cannot_run_because_the_local_version_expired.html"},
    {15, L"Appen kan inte köras eftersom den lokala versionen är äldre än den lägsta kompatibla versionen "
         L"och ingen nyare version finns tillgänglig på servern."},
    {16, L"Den lokala versionen av den här appen är för gammal. Klicka på OK för att uppgradera till den "
         L"senaste tillgängliga versionen på servern. Om du klickar på Avbryt kan appen inte köras."},
    {17, L"Appen kan inte köras eftersom den lokala versionen av den här appen är för gammal."},
    {18, L"Det gick inte att tolka konfigurationsfilen (%s)."},
    {19, L"Det gick inte att spara konfigurationsfilen (%s)."},
    {20, L"Körningsversionen i filen manifest.json matchar inte den version som är konfigurerad i "
         L"AppConfig. "},
    {21, L"Appkatalogen (%s) eller filerna används av ett annat program. Avsluta programmet och försök igen "
         L"senare."},
    {22, L"Det gick inte att uppdatera filen (%s)."},
    {23, L"Serverns konfigurationsfil har ett felaktigt filformat (%s)."},
    {39, L"Det finns en ny version av Nimbo Launcher. Vill du uppgradera till den senaste versionen? "
         L"\r\n\r\nKlicka på Ja för att uppgradera.\r\nKlicka på Nej för att fortsätta använda den "
         L"befintliga Nimbo Launcher."},
    {40, L"Det finns en ny version av Nimbo Launcher. Du måste uppgradera till den senaste versionen för att "
         L"köra appen. \r\n\r\nKlicka på OK för att uppgradera.\r\nKlicka på Avbryt för att avsluta. Appen "
         L"stängs."},
    {41, L"Den lokala versionen av den här appen har upphört att gälla. Klicka på OK för att uppgradera till "
         L"den senaste tillgängliga versionen på servern. Om du klickar på Avbryt kan appen inte köras."},
    {42, L"Appen kan inte köras eftersom den lokala versionen har upphört att gälla."},
    {43, L"Det finns nyare versioner av appen på servern. Vill du uppgradera till den senaste versionen? "
         L"Klicka på Ja för att uppgradera. Klicka på Nej för att fortsätta använda den befintliga appen."},
    {44, L"Det gick inte att ladda ned konfigurationsfilen %s; felkod: %d; fel: %s. Läs mer på: "
         NIMBO_HELP_URL L"Failed_to_download_the_config_file.html"},
    {45, L"Det gick inte att ladda ned installationspaketet %s; felkod: %d; fel: %s."},
    {46, L"Det gick inte att ladda ned filen \"%s\"; felkod: %d; fel: %s."},
    {47, L"Det gick inte att packa upp filen \"%s\"; fel: %s."},
    {48, L"Det gick inte att läsa in den lokala konfigurationsfilen. Sökväg: %s."},
    {49, L"Tidsgränsen för åtgärden överskreds."},
    {50, L"Det gick inte att ansluta till servern för åtgärden."},
    {51, L"Det gick inte att läsa in loggdata på grund av ett internt fel (RichEditCtrl kan inte skapas)."},
    {52, L"Det finns en ny version av Nimbo Launcher. Kontakta administratören för att uppgradera till den "
         L"senaste versionen. Fram till uppgraderingen används den befintliga versionen på datorn "
         L"fortfarande för att köra appen."},
    {53, L"Det gick inte att tolka körningens konfigurationsfil."},
    {54, L"Det gick inte att uppdatera körningsfilerna."},
    {55, L"Det gick inte att tolka appens konfigurationsfil."},
    {56, L"Det gick inte att uppdatera appen."},
    {57, L"Det gick inte att kopiera filen (%s)."},
    {58, L"Appstartaren måste uppdateras till den senaste versionen."},
    {59, L"Filen (%s) används."},
    {60, L"Det gick inte att registrera filen (%s)."},
    {61, L"Det gick inte att registrera de DLLs/OCXs som krävs för programmet eftersom elevlink.dll inte kan "
         L"öppnas."},
    {62, L"Appstartaren kan inte starta appen eftersom du saknar behörighet att köra appens .exe-fil i "
         L"appsökvägen.\r\n\r\nLösning: Kontakta appadministratören och be om en anpassad appstartare som "
         L"anger en appsökväg (App Path) där du har behörighet att köra .exe-filer."},
    {63, L"Inget program hittades på webbadressen:[%s]; felkod: %d; fel: %s. Läs mer på: " NIMBO_HELP_URL
         L"Unable_to_access_service.html."},
    {64, L"Kontrollera att servern körs och är tillgänglig. URL: %s; felkod: %d; fel: %s. Läs mer på: "
         NIMBO_HELP_URL L"Failed_to_connect_to_server.html."},
    {65, L"Initierar appmiljön..."},
    {66, L"Programmets URL: %s."},
    {67, L"Programmets protokoll: %s."},
    {68, L"Programmets värdnamn: %s."},
    {69, L"Programmets serverport: %s."},
    {70, L"Programmets namn: %s."},
    {71, L"Programmets URL-parameter: %s."},
    {72, L"Appens rotsökväg: %s."},
    {73, L"Appens körningssökväg: %s."},
    {74, L"Den lokala konfigurationsfilen har lästs in. Sökväg: %s."},
    {75, L"Appversion: %s, uppdateringsstrategi[Always,Connect,Never]: %d, "
         L"uppdateringstyp[FirstDownLoad,SameVersion,AcrossVersion]: %d."},
    {76, L"Konfigurationsfilen %s har laddats ned."},
    {77, L"Aktuell serverversion: %s; senaste version: %s, lägsta kompatibla version: %s."},
    {78, L"Appen uppdateras nu."},
    {79, L"Appen har uppdaterats."},
    {80, L"Förlopp för startare"},
    {81, L"Förlopp för körning"},
    {82, L"Förlopp för program"},
    {83, L"Förlopp för konfiguration"},
    {84, L"Information"},
    {85, L"Det gick inte att starta programmet. Det aktuella systemet är 32-bitars och kan inte läsa in "
         L"64-bitarsprogram."},
    {86, L"Fel"},
    {87, L"Påbörjar nedladdning av filen \"%s\"; filstorlek: %ld."},
    {88, L"Nedladdningen av filen \"%s\" är klar; svarskod: %d; faktisk storlek: %ld."},
    {89, L"Försöker ladda ned filen \"%s\" igen; svarskod: %d."},
    {90, L"Partial_Content vid nedladdning av filen \"%s\"; svarskod: %d."},
    {91, L"Det gick inte att läsa in %s.dll. Kör appens URL igen för att se om det löser problemet."},
};

}  // namespace NimboNS
