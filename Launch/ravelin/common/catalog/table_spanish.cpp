#include "catalog_tables.h"
#include "help_url.h"

namespace NimboNS {

const CatalogEntry kSpanishTable[kCatalogSize] = {
    {6, L"No se pudo analizar la URL de la aplicación (%s)."},
    {7, L"La ruta (%s) no es válida."},
    {8, L"El usuario actual no tiene permisos de lectura y escritura en la ruta (%s)."},
    {9, L"No se pudo quitar el directorio (%s)"},
    {10, L"No se pudo crear el directorio (%s)"},
    {12, L"No hay ninguna versión disponible de esta aplicación en el servidor."},
    {13, L"La última versión disponible de esta aplicación en el servidor es anterior a la versión mínima "
         L"compatible."},
    {14, L"La aplicación no se puede ejecutar porque la versión local ha caducado y no hay ninguna versión "
         L"más reciente disponible en el servidor. Más información en: " NIMBO_HELP_URL
         L"App_cannot_run_because_the_local_version_expired.html"},
    {15, L"La aplicación no se puede ejecutar porque la versión local es anterior a la versión mínima "
         L"compatible y no hay ninguna versión más reciente disponible en el servidor."},
    {16, L"La versión local de esta aplicación es demasiado antigua. Haga clic en Aceptar para actualizar a "
         L"la última versión disponible en el servidor. Si hace clic en Cancelar, la aplicación no se podrá "
         L"ejecutar."},
    {17, L"La aplicación no se puede ejecutar porque la versión local de esta aplicación es demasiado "
         L"antigua."},
    {18, L"No se pudo analizar el archivo de configuración (%s)."},
    {19, L"No se pudo guardar el archivo de configuración (%s)."},
    {20, L"La versión del runtime del archivo manifest.json no coincide con la versión configurada en "
         L"AppConfig. "},
    {21, L"Otro programa está accediendo al directorio de la aplicación (%s) o a sus archivos. Cierre ese "
         L"programa y vuelva a intentarlo más tarde."},
    {22, L"No se pudo actualizar el archivo (%s)."},
    {23, L"El archivo de configuración del servidor tiene un formato de archivo incorrecto (%s)."},
    {39, L"Hay una nueva versión del Nimbo Launcher disponible. ¿Desea actualizar a la última versión? "
         L"\r\n\r\nHaga clic en Sí para actualizar.\r\nHaga clic en No para seguir usando el Nimbo Launcher "
         L"existente."},
    {40, L"Hay una nueva versión del Nimbo Launcher disponible. Debe actualizar a la última versión para "
         L"ejecutar la aplicación. \r\n\r\nHaga clic en Aceptar para actualizar.\r\nHaga clic en Cancelar "
         L"para salir. La aplicación se cerrará."},
    {41, L"La versión local de esta aplicación ha caducado. Haga clic en Aceptar para actualizar a la última "
         L"versión disponible en el servidor. Si hace clic en Cancelar, la aplicación no se podrá ejecutar."},
    {42, L"La aplicación no se puede ejecutar porque la versión local ha caducado."},
    {43, L"Hay versiones más recientes de la aplicación en el servidor. ¿Desea actualizar a la última "
         L"versión? Haga clic en Sí para actualizar. Haga clic en No para seguir usando la aplicación "
         L"existente."},
    {44, L"No se pudo descargar el archivo de configuración %s; código de error: %d; error: %s. Más "
         L"información en: " NIMBO_HELP_URL L"Failed_to_download_the_config_file.html"},
    {45, L"No se pudo descargar el paquete de instalación %s; código de error: %d; error: %s."},
    {46, L"No se pudo descargar el archivo \"%s\"; código de error: %d; error: %s."},
    {47, L"No se pudo descomprimir el archivo \"%s\"; error: %s."},
    {48, L"No se pudo cargar el archivo de configuración local. Ruta: %s."},
    {49, L"Se agotó el tiempo de espera de la operación."},
    {50, L"No se pudo conectar con el servidor para realizar la operación."},
    {51, L"No se pudieron cargar los datos de registro debido a un error interno (no se puede crear "
         L"RichEditCtrl)."},
    {52, L"Hay una nueva versión del Nimbo Launcher disponible. Póngase en contacto con el administrador "
         L"para actualizar a la última versión. Hasta la actualización, se seguirá usando la versión "
         L"existente en su equipo para ejecutar la aplicación."},
    {53, L"No se pudo analizar el archivo de configuración del runtime."},
    {54, L"No se pudieron actualizar los archivos del runtime."},
    {55, L"No se pudo analizar el archivo de configuración de la aplicación."},
    {56, L"No se pudo actualizar la aplicación."},
    {57, L"No se pudo copiar el archivo (%s)."},
    {58, L"El iniciador de aplicaciones debe actualizarse a la última versión."},
    {59, L"El archivo (%s) está en uso."},
    {60, L"No se pudo registrar el archivo (%s)."},
    {61, L"No se pudieron registrar las DLLs/OCXs necesarias para la aplicación porque no se puede abrir "
         L"elevlink.dll."},
    {62, L"El iniciador de aplicaciones no puede iniciar la aplicación porque no tiene permiso para ejecutar "
         L"el archivo .exe de la aplicación en la ruta de la aplicación.\r\n\r\nSolución: póngase en "
         L"contacto con el administrador de la aplicación para que cree un iniciador de aplicaciones "
         L"personalizado que establezca una ruta de aplicación (App Path) en la que tenga permiso para "
         L"ejecutar archivos .exe."},
    {63, L"No se encontró ninguna aplicación en la dirección web:[%s]; código de error: %d; error: %s. Más "
         L"información en: " NIMBO_HELP_URL L"Unable_to_access_service.html."},
    {64, L"Asegúrese de que el servidor está en ejecución y es accesible. URL: %s; código de error: %d; "
         L"error: %s. Más información en: " NIMBO_HELP_URL L"Failed_to_connect_to_server.html."},
    {65, L"Inicializando el entorno de la aplicación..."},
    {66, L"URL de la aplicación: %s."},
    {67, L"Protocolo de la aplicación: %s."},
    {68, L"Nombre de host de la aplicación: %s."},
    {69, L"Puerto del servidor de la aplicación: %s."},
    {70, L"Nombre de la aplicación: %s."},
    {71, L"Parámetro de URL de la aplicación: %s."},
    {72, L"Ruta raíz de la aplicación: %s."},
    {73, L"Ruta del runtime de la aplicación: %s."},
    {74, L"El archivo de configuración local se cargó correctamente. Ruta: %s."},
    {75, L"Versión de la aplicación: %s, estrategia de actualización[Always,Connect,Never]: %d, tipo de "
         L"actualización[FirstDownLoad,SameVersion,AcrossVersion]: %d."},
    {76, L"El archivo de configuración %s se descargó correctamente."},
    {77, L"Versión actual del servidor: %s; última versión: %s, versión mínima compatible: %s."},
    {78, L"La aplicación se está actualizando."},
    {79, L"La aplicación se actualizó correctamente."},
    {80, L"Progreso del iniciador"},
    {81, L"Progreso del runtime"},
    {82, L"Progreso de la aplicación"},
    {83, L"Progreso de la configuración"},
    {84, L"Información"},
    {85, L"No se pudo iniciar el programa: el sistema actual es de 32 bits y no puede cargar programas de 64 "
         L"bits."},
    {86, L"Error"},
    {87, L"Inicio de la descarga del archivo \"%s\"; tamaño del archivo: %ld."},
    {88, L"Fin de la descarga del archivo \"%s\"; código de respuesta: %d; tamaño real: %ld."},
    {89, L"Reintento de descarga del archivo \"%s\"; código de respuesta: %d."},
    {90, L"Partial_Content al descargar el archivo \"%s\"; código de respuesta: %d."},
    {91, L"No se pudo cargar %s.dll. Vuelva a ejecutar la URL de la aplicación para ver si se resuelve el "
         L"problema."},
};

}  // namespace NimboNS
