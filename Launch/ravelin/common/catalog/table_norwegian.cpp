#include "catalog_tables.h"
#include "help_url.h"

namespace NimboNS {

const CatalogEntry kNorwegianTable[kCatalogSize] = {
    {6, L"Kan ikke tolke app-URL-en (%s)."},
    {7, L"Banen (%s) er ugyldig."},
    {8, L"Den gjeldende brukeren har ikke lese- og skrivetillatelse til banen (%s)."},
    {9, L"Kan ikke fjerne katalogen (%s)"},
    {10, L"Kan ikke opprette katalogen (%s)"},
    {12, L"Det finnes ingen tilgjengelig versjon av denne appen på serveren."},
    {13, L"Den nyeste tilgjengelige versjonen av denne appen på serveren er eldre enn den minste kompatible "
         L"versjonen."},
    {14, L"Appen kan ikke kjøres fordi den lokale versjonen er utløpt, og ingen nyere versjon er "
         L"tilgjengelig på serveren. Finn ut mer på: " NIMBO_HELP_URL
         L"App_cannot_run_because_the_local_version_expired.html"},
    {15, L"Appen kan ikke kjøres fordi den lokale versjonen er eldre enn den minste kompatible versjonen, og "
         L"ingen nyere versjon er tilgjengelig på serveren."},
    {16, L"Den lokale versjonen av denne appen er for gammel. Klikk OK for å oppgradere til den nyeste "
         L"tilgjengelige versjonen på serveren. Hvis du klikker Avbryt, kan ikke appen kjøres."},
    {17, L"Appen kan ikke kjøres fordi den lokale versjonen av denne appen er for gammel."},
    {18, L"Kan ikke tolke konfigurasjonsfilen (%s)."},
    {19, L"Kan ikke lagre konfigurasjonsfilen (%s)."},
    {20, L"Kjøretidsversjonen i filen manifest.json samsvarer ikke med versjonen som er konfigurert i "
         L"AppConfig. "},
    {21, L"Appkatalogen (%s) eller filene brukes av et annet program. Avslutt programmet og prøv igjen "
         L"senere."},
    {22, L"Kan ikke oppdatere filen (%s)."},
    {23, L"Serverens konfigurasjonsfil har feil filformat (%s)."},
    {39, L"En ny versjon av Nimbo Launcher er tilgjengelig. Vil du oppgradere til den nyeste versjonen? "
         L"\r\n\r\nKlikk Ja for å oppgradere.\r\nKlikk Nei for å fortsette å bruke den eksisterende Nimbo "
         L"Launcher."},
    {40, L"En ny versjon av Nimbo Launcher er tilgjengelig. Du må oppgradere til den nyeste versjonen for å "
         L"kjøre appen. \r\n\r\nKlikk OK for å oppgradere.\r\nKlikk Avbryt for å avslutte. Appen lukkes."},
    {41, L"Den lokale versjonen av denne appen er utløpt. Klikk OK for å oppgradere til den nyeste "
         L"tilgjengelige versjonen på serveren. Hvis du klikker Avbryt, kan ikke appen kjøres."},
    {42, L"Appen kan ikke kjøres fordi den lokale versjonen er utløpt."},
    {43, L"Det finnes nyere versjoner av appen på serveren. Vil du oppgradere til den nyeste versjonen? "
         L"Klikk Ja for å oppgradere. Klikk Nei for å fortsette å bruke den eksisterende appen."},
    {44, L"Kan ikke laste ned konfigurasjonsfilen %s; feilkode: %d; feil: %s. Finn ut mer på: " NIMBO_HELP_URL
         L"Failed_to_download_the_config_file.html"},
    {45, L"Kan ikke laste ned installasjonspakken %s; feilkode: %d; feil: %s."},
    {46, L"Kan ikke laste ned filen \"%s\"; feilkode: %d; feil: %s."},
    {47, L"Kan ikke pakke ut filen \"%s\"; feil: %s."},
    {48, L"Kan ikke laste inn den lokale konfigurasjonsfilen. Bane: %s."},
    {49, L"Tidsavbrudd for operasjonen."},
    {50, L"Kan ikke koble til serveren for operasjonen."},
    {51, L"Kan ikke laste inn loggdataene på grunn av en intern feil (RichEditCtrl kan ikke opprettes)."},
    {52, L"En ny versjon av Nimbo Launcher er tilgjengelig. Kontakt administratoren for å oppgradere til den "
         L"nyeste versjonen. Frem til oppgraderingen vil den eksisterende versjonen på datamaskinen din "
         L"fortsatt bli brukt til å kjøre appen."},
    {53, L"Kan ikke tolke kjøretidens konfigurasjonsfil."},
    {54, L"Kan ikke oppdatere kjøretidsfilene."},
    {55, L"Kan ikke tolke appens konfigurasjonsfil."},
    {56, L"Kan ikke oppdatere appen."},
    {57, L"Kan ikke kopiere filen (%s)."},
    {58, L"Appstarteren må oppdateres til den nyeste versjonen."},
    {59, L"Filen (%s) er i bruk."},
    {60, L"Kan ikke registrere filen (%s)."},
    {61, L"Kan ikke registrere de nødvendige DLLs/OCXs for programmet fordi elevlink.dll ikke kan åpnes."},
    {62, L"Appstarteren kan ikke starte appen fordi du mangler tillatelse til å kjøre appens .exe-fil i "
         L"appbanen.\r\n\r\nLøsning: Kontakt appadministratoren din for å få opprettet en tilpasset "
         L"appstarter som angir en appbane (App Path) der du har tillatelse til å kjøre .exe-filer."},
    {63, L"Fant ikke noe program på nettadressen:[%s]; feilkode: %d; feil: %s. Finn ut mer på: "
         NIMBO_HELP_URL L"Unable_to_access_service.html."},
    {64, L"Kontroller at serveren kjører og er tilgjengelig. URL: %s; feilkode: %d; feil: %s. Finn ut mer "
         L"på: " NIMBO_HELP_URL L"Failed_to_connect_to_server.html."},
    {65, L"Initialiserer appmiljøet..."},
    {66, L"Programmets URL: %s."},
    {67, L"Programmets protokoll: %s."},
    {68, L"Programmets vertsnavn: %s."},
    {69, L"Programmets serverport: %s."},
    {70, L"Programmets navn: %s."},
    {71, L"Programmets URL-parameter: %s."},
    {72, L"Appens rotbane: %s."},
    {73, L"Appens kjøretidsbane: %s."},
    {74, L"Den lokale konfigurasjonsfilen er lastet inn. Bane: %s."},
    {75, L"Appversjon: %s, oppdateringsstrategi[Always,Connect,Never]: %d, "
         L"oppdateringstype[FirstDownLoad,SameVersion,AcrossVersion]: %d."},
    {76, L"Konfigurasjonsfilen %s er lastet ned."},
    {77, L"Gjeldende serverversjon: %s; nyeste versjon: %s, minste kompatible versjon: %s."},
    {78, L"Appen oppdateres nå."},
    {79, L"Appen er oppdatert."},
    {80, L"Fremdrift for starter"},
    {81, L"Fremdrift for kjøretid"},
    {82, L"Fremdrift for program"},
    {83, L"Fremdrift for konfigurasjon"},
    {84, L"Informasjon"},
    {85, L"Kan ikke starte programmet. Det gjeldende systemet er 32-biters og kan ikke laste inn 64-biters "
         L"programmer."},
    {86, L"Feil"},
    {87, L"Starter nedlasting av filen \"%s\"; filstørrelse: %ld."},
    {88, L"Fullførte nedlasting av filen \"%s\"; svarkode: %d; faktisk størrelse: %ld."},
    {89, L"Prøver å laste ned filen \"%s\" på nytt; svarkode: %d."},
    {90, L"Partial_Content ved nedlasting av filen \"%s\"; svarkode: %d."},
    {91, L"Kan ikke laste inn %s.dll. Kjør app-URL-en på nytt for å se om dette løser problemet."},
};

}  // namespace NimboNS
