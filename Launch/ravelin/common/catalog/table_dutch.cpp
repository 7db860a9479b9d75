#include "catalog_tables.h"
#include "help_url.h"

namespace NimboNS {

const CatalogEntry kDutchTable[kCatalogSize] = {
    {6, L"Kan de app-URL (%s) niet parseren."},
    {7, L"Het pad (%s) is ongeldig."},
    {8, L"De huidige gebruiker heeft geen lees- en schrijfrechten voor het pad (%s)."},
    {9, L"Kan de map (%s) niet verwijderen"},
    {10, L"Kan de map (%s) niet maken"},
    {12, L"Er is geen versie van deze app beschikbaar op de server."},
    {13, L"De nieuwste beschikbare versie van deze app op de server is ouder dan de minimaal compatibele "
         L"versie."},
    {14, L"De app kan niet worden uitgevoerd, omdat de lokale versie is verlopen en er geen nieuwere versie "
         L"beschikbaar is op de server. Meer informatie: " NIMBO_HELP_URL
         L"App_cannot_run_because_the_local_version_expired.html"},
    {15, L"De app kan niet worden uitgevoerd, omdat de lokale versie ouder is dan de minimaal compatibele "
         L"versie en er geen nieuwere versie beschikbaar is op de server."},
    {16, L"De lokale versie van deze app is te oud. Klik op OK om bij te werken naar de nieuwste beschikbare "
         L"versie op de server. Als u op Annuleren klikt, kan de app niet worden uitgevoerd."},
    {17, L"De app kan niet worden uitgevoerd, omdat de lokale versie van deze app te oud is."},
    {18, L"Kan het configuratiebestand (%s) niet parseren."},
    {19, L"Kan het configuratiebestand (%s) niet opslaan."},
    {20, L"De runtimeversie in het bestand manifest.json komt niet overeen met de versie die in AppConfig is "
         L"geconfigureerd. "},
    {21, L"De app-map (%s) of de bestanden worden gebruikt door een ander programma. Sluit dat programma af "
         L"en probeer het later opnieuw."},
    {22, L"Kan het bestand (%s) niet bijwerken."},
    {23, L"Het configuratiebestand van de server heeft een onjuiste bestandsindeling (%s)."},
    {39, L"Er is een nieuwe versie van de Nimbo Launcher beschikbaar. Wilt u bijwerken naar de nieuwste "
         L"versie? \r\n\r\nKlik op Ja om bij te werken.\r\nKlik op Nee om de bestaande Nimbo Launcher te "
         L"blijven gebruiken."},
    {40, L"Er is een nieuwe versie van de Nimbo Launcher beschikbaar. U moet bijwerken naar de nieuwste "
         L"versie om de app uit te voeren. \r\n\r\nKlik op OK om bij te werken.\r\nKlik op Annuleren om af "
         L"te sluiten. De app wordt gesloten."},
    {41, L"De lokale versie van deze app is verlopen. Klik op OK om bij te werken naar de nieuwste "
         L"beschikbare versie op de server. Als u op Annuleren klikt, kan de app niet worden uitgevoerd."},
    {42, L"De app kan niet worden uitgevoerd, omdat de lokale versie is verlopen."},
    {43, L"Er zijn nieuwere versies van de app beschikbaar op de server. Wilt u bijwerken naar de nieuwste "
         L"versie? Klik op Ja om bij te werken. Klik op Nee om de bestaande app te blijven gebruiken."},
    {44, L"Kan het configuratiebestand %s niet downloaden; foutcode: %d; fout: %s. Meer informatie: "
         NIMBO_HELP_URL L"Failed_to_download_the_config_file.html"},
    {45, L"Kan het installatiepakket %s niet downloaden; foutcode: %d; fout: %s."},
    {46, L"Kan het bestand \"%s\" niet downloaden; foutcode: %d; fout: %s."},
    {47, L"Kan het bestand \"%s\" niet uitpakken; fout: %s."},
    {48, L"Kan het lokale configuratiebestand niet laden. Pad: %s."},
    {49, L"Er is een time-out opgetreden voor de bewerking."},
    {50, L"Kan geen verbinding maken met de server voor de bewerking."},
    {51, L"Kan de logboekgegevens niet laden vanwege een interne fout (RichEditCtrl kan niet worden "
         L"gemaakt)."},
    {52, L"Er is een nieuwe versie van de Nimbo Launcher beschikbaar. Neem contact op met de beheerder om "
         L"bij te werken naar de nieuwste versie. Tot de update blijft de bestaande versie op uw computer in "
         L"gebruik om de app uit te voeren."},
    {53, L"Kan het runtimeconfiguratiebestand niet parseren."},
    {54, L"Kan de runtimebestanden niet bijwerken."},
    {55, L"Kan het configuratiebestand van de app niet parseren."},
    {56, L"Kan de app niet bijwerken."},
    {57, L"Kan het bestand (%s) niet kopiëren."},
    {58, L"Het startprogramma voor apps moet worden bijgewerkt naar de nieuwste versie."},
    {59, L"Het bestand (%s) is in gebruik."},
    {60, L"Kan het bestand (%s) niet registreren."},
    {61, L"Kan de vereiste DLLs/OCXs voor de toepassing niet registreren, omdat elevlink.dll niet kan worden "
         L"geopend."},
    {62, L"Het startprogramma voor apps kan de app niet starten, omdat u geen machtiging hebt om het "
         L".exe-bestand van de app in het app-pad uit te voeren.\r\n\r\nOplossing: neem contact op met uw "
         L"app-beheerder om een aangepast startprogramma voor apps te laten maken dat een app-pad (App Path) "
         L"instelt waarin u .exe-bestanden mag uitvoeren."},
    {63, L"Er is geen toepassing gevonden op het webadres:[%s]; foutcode: %d; fout: %s. Meer informatie: "
         NIMBO_HELP_URL L"Unable_to_access_service.html."},
    {64, L"Controleer of de server actief en bereikbaar is. URL: %s; foutcode: %d; fout: %s. Meer "
         L"informatie: " NIMBO_HELP_URL L"Failed_to_connect_to_server.html."},
    {65, L"De app-omgeving wordt geïnitialiseerd..."},
    {66, L"URL van de toepassing: %s."},
    {67, L"Protocol van de toepassing: %s."},
    {68, L"Hostnaam van de toepassing: %s."},
    {69, L"Serverpoort van de toepassing: %s."},
    {70, L"Naam van de toepassing: %s."},
    {71, L"URL-parameter van de toepassing: %s."},
    {72, L"Hoofdpad van de app: %s."},
    {73, L"Runtimepad van de app: %s."},
    {74, L"Het lokale configuratiebestand is geladen. Pad: %s."},
    {75, L"App-versie: %s, updatestrategie[Always,Connect,Never]: %d, "
         L"updatetype[FirstDownLoad,SameVersion,AcrossVersion]: %d."},
    {76, L"Het configuratiebestand %s is gedownload."},
    {77, L"Huidige serverversie: %s; nieuwste versie: %s, minimaal compatibele versie: %s."},
    {78, L"De app wordt nu bijgewerkt."},
    {79, L"De app is bijgewerkt."},
    {80, L"Voortgang startprogramma"},
    {81, L"Voortgang runtime"},
    {82, L"Voortgang toepassing"},
    {83, L"Voortgang configuratie"},
    {84, L"Informatie"},
    {85, L"Kan het programma niet starten: het huidige systeem is 32-bits en kan geen 64-bits programma's "
         L"laden."},
    {86, L"Fout"},
    {87, L"Begin met downloaden van het bestand \"%s\"; bestandsgrootte: %ld."},
    {88, L"Einde van downloaden van het bestand \"%s\"; responscode: %d; werkelijke grootte: %ld."},
    {89, L"Opnieuw proberen het bestand \"%s\" te downloaden; responscode: %d."},
    {90, L"Partial_Content bij het downloaden van het bestand \"%s\"; responscode: %d."},
    {91, L"Kan %s.dll niet laden. Voer de app-URL opnieuw uit om te zien of het probleem hiermee is "
         L"opgelost."},
};

}  // namespace NimboNS
