#include "catalog_tables.h"
#include "help_url.h"

namespace NimboNS {

const CatalogEntry kDanishTable[kCatalogSize] = {
    {6, L"Appens URL (%s) kunne ikke fortolkes."},
    {7, L"Stien (%s) er ugyldig."},
    {8, L"Den aktuelle bruger har ikke læse- og skrivetilladelser til stien (%s)."},
    {9, L"Mappen (%s) kunne ikke fjernes"},
    {10, L"Mappen (%s) kunne ikke oprettes"},
    {12, L"Der er ingen tilgængelig version af denne app på serveren."},
    {13, L"Den seneste tilgængelige version af denne app på serveren er ældre end den mindste kompatible "
         L"version."},
    {14, L"Appen kan ikke køre, fordi den lokale version er udløbet, og der ikke er nogen nyere version "
         L"tilgængelig på serveren. Få mere at vide på: " NIMBO_HELP_URL
         L"App_cannot_run_because_the_local_version_expired.html"},
    {15, L"Appen kan ikke køre, fordi den lokale version er ældre end den mindste kompatible version, og der "
         L"ikke er nogen nyere version tilgængelig på serveren."},
    {16, L"Den lokale version af denne app er for gammel. Klik på OK for at opgradere til den seneste "
         L"tilgængelige version på serveren. Hvis du klikker på Annuller, kan appen ikke køre."},
    {17, L"Appen kan ikke køre, fordi den lokale version af denne app er for gammel."},
    {18, L"Konfigurationsfilen (%s) kunne ikke fortolkes."},
    {19, L"Konfigurationsfilen (%s) kunne ikke gemmes."},
    {20, L"Runtimeversionen i filen manifest.json svarer ikke til den version, der er konfigureret i "
         L"AppConfig. "},
    {21, L"Appmappen (%s) eller filerne bruges af et andet program. Afslut programmet, og prøv igen senere."},
    {22, L"Filen (%s) kunne ikke opdateres."},
    {23, L"Serverens konfigurationsfil har et forkert filformat (%s)."},
    {39, L"Der er en ny version af Nimbo Launcher tilgængelig. Vil du opgradere til den seneste version? "
         L"\r\n\r\nKlik på Ja for at opgradere.\r\nKlik på Nej for fortsat at bruge den eksisterende Nimbo "
         L"Launcher."},
    {40, L"Der er en ny version af Nimbo Launcher tilgængelig. Du skal opgradere til den seneste version for "
         L"at køre appen. \r\n\r\nKlik på OK for at opgradere.\r\nKlik på Annuller for at afslutte. Appen "
         L"lukkes."},
    {41, L"Den lokale version af denne app er udløbet. Klik på OK for at opgradere til den seneste "
         L"tilgængelige version på serveren. Hvis du klikker på Annuller, kan appen ikke køre."},
    {42, L"Appen kan ikke køre, fordi den lokale version er udløbet."},
    {43, L"Der findes nyere versioner af appen på serveren. Vil du opgradere til den seneste version? Klik "
         L"på Ja for at opgradere. Klik på Nej for fortsat at bruge den eksisterende app."},
    {44, L"Konfigurationsfilen %s kunne ikke downloades; fejlkode: %d; fejl: %s. Få mere at vide på: "
         NIMBO_HELP_URL L"Failed_to_download_the_config_file.html"},
    {45, L"Installationspakken %s kunne ikke downloades; fejlkode: %d; fejl: %s."},
    {46, L"Filen \"%s\" kunne ikke downloades; fejlkode: %d; fejl: %s."},
    {47, L"Filen \"%s\" kunne ikke udpakkes; fejl: %s."},
    {48, L"Den lokale konfigurationsfil kunne ikke indlæses. Sti: %s."},
    {49, L"Handlingen fik timeout."},
    {50, L"Der kunne ikke oprettes forbindelse til serveren for at udføre handlingen."},
    {51, L"Logdataene kunne ikke indlæses på grund af en intern fejl (RichEditCtrl kan ikke oprettes)."},
    {52, L"Der er en ny version af Nimbo Launcher tilgængelig. Kontakt administratoren for at opgradere til "
         L"den seneste version. Indtil opgraderingen vil den eksisterende version på din computer fortsat "
         L"blive brugt til at køre appen."},
    {53, L"Runtimekonfigurationsfilen kunne ikke fortolkes."},
    {54, L"Runtimefilerne kunne ikke opdateres."},
    {55, L"Appens konfigurationsfil kunne ikke fortolkes."},
    {56, L"Appen kunne ikke opdateres."},
    {57, L"Filen (%s) kunne ikke kopieres."},
    {58, L"Appstarteren skal opdateres til den seneste version."},
    {59, L"Filen (%s) er i brug."},
    {60, L"Filen (%s) kunne ikke registreres."},
    {61, L"De nødvendige DLLs/OCXs til programmet kunne ikke registreres, fordi elevlink.dll ikke kan "
         L"åbnes."},
    {62, L"Appstarteren kan ikke starte appen, fordi du ikke har tilladelse til at køre appens .exe-fil i "
         L"appstien.\r\n\r\nLøsning: Kontakt din appadministrator, og bed om at få oprettet en "
         L"brugerdefineret appstarter, der angiver en appsti (App Path), hvor du har tilladelse til at køre "
         L".exe-filer."},
    {63, L"Der blev ikke fundet noget program på webadressen:[%s]; fejlkode: %d; fejl: %s. Få mere at vide "
         L"på: " NIMBO_HELP_URL L"Unable_to_access_service.html."},
    {64, L"Sørg for, at serveren kører og er tilgængelig. URL: %s; fejlkode: %d; fejl: %s. Få mere at vide "
         L"på: " NIMBO_HELP_URL L"Failed_to_connect_to_server.html."},
    {65, L"Initialiserer appmiljøet..."},
    {66, L"Programmets URL: %s."},
    {67, L"Programmets protokol: %s."},
    {68, L"Programmets værtsnavn: %s."},
    {69, L"Programmets serverport: %s."},
    {70, L"Programmets navn: %s."},
    {71, L"Programmets URL-parameter: %s."},
    {72, L"Appens rodsti: %s."},
    {73, L"Appens runtimesti: %s."},
    {74, L"Den lokale konfigurationsfil er indlæst. Sti: %s."},
    {75, L"Appversion: %s, opdateringsstrategi[Always,Connect,Never]: %d, "
         L"opdateringstype[FirstDownLoad,SameVersion,AcrossVersion]: %d."},
    {76, L"Konfigurationsfilen %s er downloadet."},
    {77, L"Aktuel serverversion: %s; seneste version: %s, mindste kompatible version: %s."},
    {78, L"Appen opdateres nu."},
    {79, L"Appen er opdateret."},
    {80, L"Status for starter"},
    {81, L"Status for runtime"},
    {82, L"Status for program"},
    {83, L"Status for konfiguration"},
    {84, L"Oplysninger"},
    {85, L"Programmet kunne ikke startes. Det aktuelle system er 32-bit og kan ikke indlæse "
         L"64-bit-programmer."},
    {86, L"Fejl"},
    {87, L"Start på download af filen \"%s\"; filstørrelse: %ld."},
    {88, L"Slut på download af filen \"%s\"; svarkode: %d; faktisk størrelse: %ld."},
    {89, L"Nyt forsøg på at downloade filen \"%s\"; svarkode: %d."},
    {90, L"Partial_Content ved download af filen \"%s\"; svarkode: %d."},
    {91, L"%s.dll kunne ikke indlæses. Kør appens URL igen for at se, om det løser problemet."},
};

}  // namespace NimboNS
