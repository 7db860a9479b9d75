#include "catalog_tables.h"
#include "help_url.h"

namespace NimboNS {

const CatalogEntry kItalianTable[kCatalogSize] = {
    {6, L"Impossibile analizzare l'URL dell'app (%s)."},
    {7, L"Il percorso (%s) non è valido."},
    {8, L"L'utente corrente non dispone delle autorizzazioni di lettura e scrittura per il percorso (%s)."},
    {9, L"Impossibile rimuovere la directory (%s)"},
    {10, L"Impossibile creare la directory (%s)"},
    {12, L"Sul server non è disponibile alcuna versione di questa app."},
    {13, L"L'ultima versione di questa app disponibile sul server è precedente alla versione minima "
         L"compatibile."},
    {14, L"Impossibile eseguire l'app perché la versione locale è scaduta e sul server non è disponibile una "
         L"versione più recente. Ulteriori informazioni: " NIMBO_HELP_URL
         L"App_cannot_run_because_the_local_version_expired.html"},
    {15, L"Impossibile eseguire l'app perché la versione locale è precedente alla versione minima "
         L"compatibile e sul server non è disponibile una versione più recente."},
    {16, L"La versione locale di questa app è troppo vecchia. Fare clic su OK per eseguire l'aggiornamento "
         L"all'ultima versione disponibile sul server. Se si fa clic su Annulla, non sarà possibile eseguire "
         L"l'app."},
    {17, L"Impossibile eseguire l'app perché la versione locale di questa app è troppo vecchia."},
    {18, L"Impossibile analizzare il file di configurazione (%s)."},
    {19, L"Impossibile salvare il file di configurazione (%s)."},
    {20, L"La versione del runtime nel file manifest.json non corrisponde alla versione configurata in "
         L"AppConfig. "},
    {21, L"La directory dell'app (%s) o i file sono utilizzati da un altro programma. Chiudere il programma "
         L"e riprovare più tardi."},
    {22, L"Impossibile aggiornare il file (%s)."},
    {23, L"Il file di configurazione del server ha un formato non corretto (%s)."},
    {39, L"È disponibile una nuova versione di Nimbo Launcher. Eseguire l'aggiornamento all'ultima versione? "
         L"\r\n\r\nFare clic su Sì per eseguire l'aggiornamento.\r\nFare clic su No per continuare a usare "
         L"il Nimbo Launcher esistente."},
    {40, L"È disponibile una nuova versione di Nimbo Launcher. Per eseguire l'app è necessario eseguire "
         L"l'aggiornamento all'ultima versione. \r\n\r\nFare clic su OK per eseguire "
         L"l'aggiornamento.\r\nFare clic su Annulla per uscire. L'app verrà chiusa."},
    {41, L"La versione locale di questa app è scaduta. Fare clic su OK per eseguire l'aggiornamento "
         L"all'ultima versione disponibile sul server. Se si fa clic su Annulla, non sarà possibile eseguire "
         L"l'app."},
    {42, L"Impossibile eseguire l'app perché la versione locale è scaduta."},
    {43, L"Sul server sono disponibili versioni più recenti dell'app. Eseguire l'aggiornamento all'ultima "
         L"versione? Fare clic su Sì per eseguire l'aggiornamento. Fare clic su No per continuare a usare "
         L"l'app esistente."},
    {44, L"Impossibile scaricare il file di configurazione %s; codice di errore: %d; errore: %s. Ulteriori "
         L"informazioni: " NIMBO_HELP_URL L"Failed_to_download_the_config_file.html"},
    {45, L"Impossibile scaricare il pacchetto di installazione %s; codice di errore: %d; errore: %s."},
    {46, L"Impossibile scaricare il file \"%s\"; codice di errore: %d; errore: %s."},
    {47, L"Impossibile decomprimere il file \"%s\"; errore: %s."},
    {48, L"Impossibile caricare il file di configurazione locale. Percorso: %s."},
    {49, L"Timeout dell'operazione."},
    {50, L"Impossibile connettersi al server per eseguire l'operazione."},
    {51, L"Impossibile caricare i dati di log a causa di un errore interno (impossibile creare "
         L"RichEditCtrl)."},
    {52, L"È disponibile una nuova versione di Nimbo Launcher. Contattare l'amministratore per eseguire "
         L"l'aggiornamento all'ultima versione. Fino all'aggiornamento, per eseguire l'app continuerà a "
         L"essere usata la versione esistente nel computer."},
    {53, L"Impossibile analizzare il file di configurazione del runtime."},
    {54, L"Impossibile aggiornare i file del runtime."},
    {55, L"Impossibile analizzare il file di configurazione dell'app."},
    {56, L"Impossibile aggiornare l'app."},
    {57, L"Impossibile copiare il file (%s)."},
    {58, L"Il launcher delle app deve essere aggiornato all'ultima versione."},
    {59, L"Il file (%s) è in uso."},
    {60, L"Impossibile registrare il file (%s)."},
    {61, L"Impossibile registrare le DLLs/OCXs necessarie per l'applicazione perché non è possibile aprire "
         L"elevlink.dll."},
    {62, L"Il launcher delle app non riesce ad avviare l'app perché non si dispone dell'autorizzazione per "
         L"eseguire il file .exe dell'app nel percorso dell'app.\r\n\r\nSoluzione: contattare "
         L"l'amministratore dell'app per creare un launcher delle app personalizzato che imposti un percorso "
         L"dell'app (App Path) in cui è consentito eseguire file .exe."},
    {63, L"Nessuna applicazione trovata all'indirizzo web:[%s]; codice di errore: %d; errore: %s. Ulteriori "
         L"informazioni: " NIMBO_HELP_URL L"Unable_to_access_service.html."},
    {64, L"Verificare che il server sia in esecuzione e accessibile. URL: %s; codice di errore: %d; errore: "
         L"%s. Ulteriori informazioni: " NIMBO_HELP_URL L"Failed_to_connect_to_server.html."},
    {65, L"Inizializzazione dell'ambiente dell'app in corso..."},
    {66, L"URL dell'applicazione: %s."},
    {67, L"Protocollo dell'applicazione: %s."},
    {68, L"Nome host dell'applicazione: %s."},
    {69, L"Porta del server dell'applicazione: %s."},
    {70, L"Nome dell'applicazione: %s."},
    {71, L"Parametro URL dell'applicazione: %s."},
    {72, L"Percorso radice dell'app: %s."},
    {73, L"Percorso del runtime dell'app: %s."},
    {74, L"File di configurazione locale caricato correttamente. Percorso: %s."},
    {75, L"Versione dell'app: %s, strategia di aggiornamento[Always,Connect,Never]: %d, tipo di "
         L"aggiornamento[FirstDownLoad,SameVersion,AcrossVersion]: %d."},
    {76, L"Il file di configurazione %s è stato scaricato correttamente."},
    {77, L"Versione corrente del server: %s; ultima versione: %s, versione minima compatibile: %s."},
    {78, L"Aggiornamento dell'app in corso."},
    {79, L"L'app è stata aggiornata correttamente."},
    {80, L"Avanzamento del launcher"},
    {81, L"Avanzamento del runtime"},
    {82, L"Avanzamento dell'applicazione"},
    {83, L"Avanzamento della configurazione"},
    {84, L"Informazioni"},
    {85, L"Impossibile avviare il programma: il sistema corrente è a 32 bit e non può caricare programmi a "
         L"64 bit."},
    {86, L"Errore"},
    {87, L"Inizio del download del file \"%s\"; dimensione del file: %ld."},
    {88, L"Fine del download del file \"%s\"; codice di risposta: %d; dimensione effettiva: %ld."},
    {89, L"Nuovo tentativo di download del file \"%s\"; codice di risposta: %d."},
    {90, L"Partial_Content durante il download del file \"%s\"; codice di risposta: %d."},
    {91, L"Impossibile caricare %s.dll. Eseguire di nuovo l'URL dell'app per verificare se il problema viene "
         L"risolto."},
};

}  // namespace NimboNS
