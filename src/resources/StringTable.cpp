// Built-in string table: the program's own (Spanish) texts, UTF-8.
#include "resources/StringTable.h"

#include <array>

namespace {

struct Entry {
    StringId id;
    const char* text;
};

constexpr std::array<Entry, kLastStringId - kFirstStringId + 1> kBuiltin{{
    {MSG_SOCKETS_INIT_FAILED, "Error al inicializar los sockets de Windows."},
    {MSG_TOOL_TITLE, "Versión de herramienta de Copias de seguridad NEXO"},
    {MSG_TIP_RESTORE, "Restaurar datos de configuración transfiriéndolos del PC al NEXO."},
    {MSG_TIP_BACKUP, "Cargar datos de configuración del NEXO al PC."},
    {MSG_TIP_CLOSE, "Salir de herramienta de Copias de seguridad del NEXO."},
    {MSG_TIP_ADDRESS, "La dirección IP del NEXO"},
    {MSG_TIP_PORT, "El número de puerto a través del cual se ha de realizar la comunicación."},
    {MSG_TIP_STATUS_LIST, "Lista de estados indicados."},
    {MSG_SAVE_TO, "Guarda datos en archivo %s"},
    {MSG_LOAD_FROM, "Darga datos desde archivo %s"},
    {MSG_NET_UNREACHABLE, "No puede accederse a la red."},
    {MSG_CONNECTION_ABORTED, "Se ha cancelado la comunicación."},
    {MSG_CONNECTION_RESET, "El comunicante homólogo ha cancelado la comunicación."},
    {MSG_CONNECT_FAILED, "Ha fallado la comunicación con el host destino."},
    {MSG_TIMED_OUT, "Ya no puede mantenerse la comunicación durante más tiempo."},
    {MSG_CONNECTION_REFUSED, "No se ha permitido la comunicación."},
    {MSG_HOST_DOWN, "La dirección destino es desconocida."},
    {MSG_HOST_UNREACHABLE, "La ruta a la dirección destino es desconocida."},
    {MSG_HOST_NOT_FOUND, "No ha podido resolverse la dirección destino."},
    {MSG_UNKNOWN_ERROR, "Error inespecífico."},
    {MSG_LOAD_ERROR, "Error al cargar los datos."},
    {MSG_NETWORK_ERROR, "Se ha producido un error de red."},
    {MSG_NO_DATA, "No hay datos."},
    {MSG_MEMORY_ERROR, "Se ha producido un error de memoria."},
    {MSG_WRONG_RECORD_LENGTH, "Longitud de registro de datos incorrecta."},
    {MSG_UNKNOWN_OBJECT, "El objeto de datos solicitado es desconocido."},
    {MSG_RESTORE_ERROR, "Error al restaurar los datos."},
    {MSG_ALREADY_CLOSED, "Ya se ha terminado la comunicación con el NEXO."},
    {MSG_CLOSE_UNCONFIRMED, "El NEXO no ha cerrado correctamente la comunicación."},
    {MSG_CLOSE_INCOMPLETE, "No ha podido terminarse por completo la comunicación con el NEXO."},
    {MSG_VERSION_MISMATCH, "La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f."},
    {MSG_OBJECT_NOT_READ, "No han podido leerse correctamente los datos."},
    {MSG_BACKUP_DONE, "Se ha terminado la carga de los datos."},
    {MSG_RESTORE_DONE, "Se ha terminado la restauración de los datos."},
    {MSG_CONNECTION_CLOSED, "Se ha cerrado la comunicación con el NEXO."},
    {MSG_OBJECT_LOADING, "Carga los datos %s ..."},
    {MSG_OBJECT_SAVED, "Se han guardado los datos %s."},
    {MSG_OBJECT_LOAD_DONE, "Se ha terminado la carga de los datos %s."},
    {MSG_OBJECT_WRITING, "Graba los datos %s ..."},
    {MSG_OBJECT_WRITTEN, "Se han grabado los datos %s."},
    {MSG_ERROR_REPORT, "ERROR -- %s (%s -> %s[%d])"},
    {MSG_NO_VERSION, "No ha podido determinarse la versión del NEXO."},
    {MSG_GATEWAY_VERSION, "Encontrado NEXO versión %f."},
    {MSG_NO_FILE_DATA, "El archivo de copia de seguridad no contiene datos sobre esta parte de la configuración."},
    {MSG_FILE_DAMAGED, "El archivo de copia de seguridad está dañado."},
    {MSG_GATEWAY_ERROR, "Error de NEXO"},
    {MSG_FILE_ERROR, "Error de archivo"},
    {MSG_NOT_TRANSFERRED, "No han podido transferirse correctamente los datos al NEXO."},
    {MSG_GATEWAY_NOT_READ, "No han podido leerse correctamente los datos del NEXO."},
    {MSG_FILE_TOO_OLD, "Se ha encontrado una copia de seguridad con la versión %f. Se soportan sólo copias de seguridad a partir de la versión 107."},
    {MSG_PASSWORDS_DIFFER, "Las contraseñas no coinciden."},
    {MSG_WRONG_PASSWORD, "Contraseña incorrecta. Se terminará la comunicación."},
    {MSG_TIP_SKD_RESTORE, "Restaurar datos de SKD del PC de nuevo al SKD."},
    {MSG_TIP_SKD_BACKUP, "Cargar datos del SKD en el PC."},
    {MSG_SKD, "SKD"},
    {MSG_SKD_CHOICE_TITLE, "Crear copia de seguridad"},
    {MSG_SKD_ONLY_IN_FILE, "Aviso: ¡El SKD %d existe sólo en el archivo de copia de seguridad!"},
    {MSG_SKD_ONLY_ON_BUS, "Aviso: ¡El SKD %d existe sólo en el bus!"},
    {MSG_SKD_NOT_RESTORED, "Error: SKD %a no se ha restablecido correctamente"},
    {MSG_SKD_NO_REPLY, "Error: ¡El SKD %a no responde!"},
    {MSG_WAIT_FOR_GATEWAY, "Espera al NEXO (aprox. 70 segundos)"},
    {MSG_SKD_BACKUP_START, "Creando copia de seguridad de SKD %a."},
    {MSG_SKD_BACKUP_DONE, "Terminada copia de seguridad de SKD %a"},
    {MSG_SKD_RESTORE_START, "Iniciada restauración del SKD %a."},
    {MSG_SKD_RESTORE_DONE, "Terminada restauración del SKD %a."},
    {MSG_ALL_SKDS, "[todos]"},
}};

constexpr Entry kNamed[] = {
    {static_cast<StringId>(MSG_SKD_CFG_NOT_RESTORED), "Error: el SKD %a no ha recibido su registro de configuración"},
    {static_cast<StringId>(MSG_SKD_IMAGE_CUT_SHORT),
     "Error: la imagen del SKD %a en el archivo de copia de seguridad está incompleta (%d de %d bytes): no se "
     "restaura nada"},
};
static_assert(std::size(kNamed) == kLastNamedId - kFirstNamedId + 1);

}  // namespace

const char* builtinText(int id)
{
    for (const Entry& e : kBuiltin)
        if (e.id == id)
            return e.text;
    for (const Entry& e : kNamed)
        if (e.id == id)
            return e.text;
    return nullptr;
}
