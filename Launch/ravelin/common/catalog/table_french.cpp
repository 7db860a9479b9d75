#include "catalog_tables.h"
#include "help_url.h"

namespace NimboNS {

const CatalogEntry kFrenchTable[kCatalogSize] = {
    {6, L"Impossible d'analyser l'URL de l'application (%s)."},
    {7, L"Le chemin (%s) n'est pas valide."},
    {8, L"L'utilisateur actuel ne dispose pas des autorisations de lecture et d'écriture sur le chemin "
        L"(%s)."},
    {9, L"Impossible de supprimer le répertoire (%s)"},
    {10, L"Impossible de créer le répertoire (%s)"},
    {12, L"Aucune version de cette application n'est disponible sur le serveur."},
    {13, L"La dernière version de cette application disponible sur le serveur est antérieure à la version "
         L"minimale compatible."},
    {14, L"L'application ne peut pas s'exécuter, car la version locale a expiré et aucune version plus "
         L"récente n'est disponible sur le serveur. En savoir plus : " NIMBO_HELP_URL
         L"App_cannot_run_because_the_local_version_expired.html"},
    {15, L"L'application ne peut pas s'exécuter, car la version locale est antérieure à la version minimale "
         L"compatible et aucune version plus récente n'est disponible sur le serveur."},
    {16, L"La version locale de cette application est trop ancienne. Cliquez sur OK pour effectuer la mise à "
         L"niveau vers la dernière version disponible sur le serveur. Si vous cliquez sur Annuler, "
         L"l'application ne pourra pas s'exécuter."},
    {17, L"L'application ne peut pas s'exécuter, car la version locale de cette application est trop "
         L"ancienne."},
    {18, L"Impossible d'analyser le fichier de configuration (%s)."},
    {19, L"Impossible d'enregistrer le fichier de configuration (%s)."},
    {20, L"La version du runtime dans le fichier manifest.json ne correspond pas à la version configurée "
         L"dans AppConfig. "},
    {21, L"Le répertoire de l'application (%s) ou ses fichiers sont utilisés par un autre programme. Quittez "
         L"ce programme et réessayez plus tard."},
    {22, L"Impossible de mettre à jour le fichier (%s)."},
    {23, L"Le fichier de configuration du serveur a un format de fichier incorrect (%s)."},
    {39, L"Une nouvelle version du Nimbo Launcher est disponible. Voulez-vous effectuer la mise à niveau "
         L"vers la dernière version ? \r\n\r\nCliquez sur Oui pour effectuer la mise à niveau.\r\nCliquez "
         L"sur Non pour continuer à utiliser le Nimbo Launcher existant."},
    {40, L"Une nouvelle version du Nimbo Launcher est disponible. Vous devez effectuer la mise à niveau vers "
         L"la dernière version pour exécuter l'application. \r\n\r\nCliquez sur OK pour effectuer la mise à "
         L"niveau.\r\nCliquez sur Annuler pour quitter. L'application va se fermer."},
    {41, L"La version locale de cette application a expiré. Cliquez sur OK pour effectuer la mise à niveau "
         L"vers la dernière version disponible sur le serveur. Si vous cliquez sur Annuler, l'application ne "
         L"pourra pas s'exécuter."},
    {42, L"L'application ne peut pas s'exécuter, car la version locale a expiré."},
    {43, L"Des versions plus récentes de l'application sont disponibles sur le serveur. Voulez-vous "
         L"effectuer la mise à niveau vers la dernière version ? Cliquez sur Oui pour effectuer la mise à "
         L"niveau. Cliquez sur Non pour continuer à utiliser l'application existante."},
    {44, L"Impossible de télécharger le fichier de configuration %s ; code d'erreur : %d ; erreur : %s. En "
         L"savoir plus : " NIMBO_HELP_URL L"Failed_to_download_the_config_file.html"},
    {45, L"Impossible de télécharger le package d'installation %s ; code d'erreur : %d ; erreur : %s."},
    {46, L"Impossible de télécharger le fichier \"%s\" ; code d'erreur : %d ; erreur : %s."},
    {47, L"Impossible de décompresser le fichier \"%s\" ; erreur : %s."},
    {48, L"Impossible de charger le fichier de configuration local. Chemin : %s."},
    {49, L"Le délai d'attente de l'opération a expiré."},
    {50, L"Impossible de se connecter au serveur pour effectuer l'opération."},
    {51, L"Impossible de charger les données du journal en raison d'une erreur interne (impossible de créer "
         L"RichEditCtrl)."},
    {52, L"Une nouvelle version du Nimbo Launcher est disponible. Contactez l'administrateur pour effectuer "
         L"la mise à niveau vers la dernière version. En attendant la mise à niveau, la version existante "
         L"sur votre ordinateur continuera d'être utilisée pour exécuter l'application."},
    {53, L"Impossible d'analyser le fichier de configuration du runtime."},
    {54, L"Impossible de mettre à jour les fichiers du runtime."},
    {55, L"Impossible d'analyser le fichier de configuration de l'application."},
    {56, L"Impossible de mettre à jour l'application."},
    {57, L"Impossible de copier le fichier (%s)."},
    {58, L"Le lanceur d'applications doit être mis à jour vers la dernière version."},
    {59, L"Le fichier (%s) est en cours d'utilisation."},
    {60, L"Impossible d'inscrire le fichier (%s)."},
    {61, L"Impossible d'inscrire les DLLs/OCXs requis par l'application, car elevlink.dll ne peut pas être "
         L"ouvert."},
    {62, L"Le lanceur d'applications ne parvient pas à démarrer l'application, car vous n'êtes pas autorisé "
         L"à exécuter le fichier .exe de l'application dans le chemin de l'application.\r\n\r\nSolution : "
         L"contactez l'administrateur de votre application pour qu'il crée un lanceur d'applications "
         L"personnalisé qui définit un chemin d'application (App Path) dans lequel vous êtes autorisé à "
         L"exécuter des fichiers .exe."},
    {63, L"Aucune application n'a été trouvée à l'adresse web :[%s] ; code d'erreur : %d ; erreur : %s. En "
         L"savoir plus : " NIMBO_HELP_URL L"Unable_to_access_service.html."},
    {64, L"Vérifiez que le serveur est en cours d'exécution et accessible. URL : %s ; code d'erreur : %d ; "
         L"erreur : %s. En savoir plus : " NIMBO_HELP_URL L"Failed_to_connect_to_server.html."},
    {65, L"Initialisation de l'environnement de l'application..."},
    {66, L"URL de l'application : %s."},
    {67, L"Protocole de l'application : %s."},
    {68, L"Nom d'hôte de l'application : %s."},
    {69, L"Port du serveur de l'application : %s."},
    {70, L"Nom de l'application : %s."},
    {71, L"Paramètre d'URL de l'application : %s."},
    {72, L"Chemin racine de l'application : %s."},
    {73, L"Chemin du runtime de l'application : %s."},
    {74, L"Le fichier de configuration local a été chargé. Chemin : %s."},
    {75, L"Version de l'application : %s, stratégie de mise à jour[Always,Connect,Never] : %d, type de mise "
         L"à jour[FirstDownLoad,SameVersion,AcrossVersion] : %d."},
    {76, L"Le fichier de configuration %s a été téléchargé."},
    {77, L"Version actuelle du serveur : %s ; dernière version : %s, version minimale compatible : %s."},
    {78, L"Mise à jour de l'application en cours."},
    {79, L"L'application a été mise à jour."},
    {80, L"Progression du lanceur"},
    {81, L"Progression du runtime"},
    {82, L"Progression de l'application"},
    {83, L"Progression de la configuration"},
    {84, L"Information"},
    {85, L"Impossible de démarrer le programme : le système actuel est en 32 bits et ne peut pas charger de "
         L"programmes 64 bits."},
    {86, L"Erreur"},
    {87, L"Début du téléchargement du fichier \"%s\" ; taille du fichier : %ld."},
    {88, L"Fin du téléchargement du fichier \"%s\" ; code de réponse : %d ; taille réelle : %ld."},
    {89, L"Nouvelle tentative de téléchargement du fichier \"%s\" ; code de réponse : %d."},
    {90, L"Partial_Content lors du téléchargement du fichier \"%s\" ; code de réponse : %d."},
    {91, L"Impossible de charger %s.dll. Exécutez de nouveau l'URL de l'application pour voir si le problème "
         L"est résolu."},
};

}  // namespace NimboNS
