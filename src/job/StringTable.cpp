// Built-in string table: the program's own (Spanish) texts, ids 103 to 168, UTF-8.
#include "job/StringTable.h"

#include <array>

namespace {

struct Entry {
    int id;
    const char* text;
};

constexpr std::array<Entry, 66> kBuiltin{{
    {103, "Error al inicializar los sockets de Windows."},
    {104, "Versión de herramienta de Copias de seguridad NEXO"},
    {105, "Restaurar datos de configuración transfiriéndolos del PC al NEXO."},
    {106, "Cargar datos de configuración del NEXO al PC."},
    {107, "Salir de herramienta de Copias de seguridad del NEXO."},
    {108, "La dirección IP del NEXO"},
    {109, "El número de puerto a través del cual se ha de realizar la comunicación."},
    {110, "Lista de estados indicados."},
    {111, "Guarda datos en archivo %s"},
    {112, "Darga datos desde archivo %s"},
    {113, "No puede accederse a la red."},
    {114, "Se ha cancelado la comunicación."},
    {115, "El comunicante homólogo ha cancelado la comunicación."},
    {116, "Ha fallado la comunicación con el host destino."},
    {117, "Ya no puede mantenerse la comunicación durante más tiempo."},
    {118, "No se ha permitido la comunicación."},
    {119, "La dirección destino es desconocida."},
    {120, "La ruta a la dirección destino es desconocida."},
    {121, "No ha podido resolverse la dirección destino."},
    {122, "Error inespecífico."},
    {123, "Error al cargar los datos."},
    {124, "Se ha producido un error de red."},
    {125, "No hay datos."},
    {126, "Se ha producido un error de memoria."},
    {127, "Longitud de registro de datos incorrecta."},
    {128, "El objeto de datos solicitado es desconocido."},
    {129, "Error al restaurar los datos."},
    {130, "Ya se ha terminado la comunicación con el NEXO."},
    {131, "El NEXO no ha cerrado correctamente la comunicación."},
    {132, "No ha podido terminarse por completo la comunicación con el NEXO."},
    {133, "La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f."},
    {134, "No han podido leerse correctamente los datos."},
    {135, "Se ha terminado la carga de los datos."},
    {136, "Se ha terminado la restauración de los datos."},
    {137, "Se ha cerrado la comunicación con el NEXO."},
    {138, "Carga los datos %s ..."},
    {139, "Se han guardado los datos %s."},
    {140, "Se ha terminado la carga de los datos %s."},
    {141, "Graba los datos %s ..."},
    {142, "Se han grabado los datos %s."},
    {143, "ERROR -- %s (%s -> %s[%d])"},
    {144, "No ha podido determinarse la versión del NEXO."},
    {145, "Encontrado NEXO versión %f."},
    {146, "El archivo de copia de seguridad no contiene datos sobre esta parte de la configuración."},
    {147, "El archivo de copia de seguridad está dañado."},
    {148, "Error de NEXO"},
    {149, "Error de archivo"},
    {150, "No han podido transferirse correctamente los datos al NEXO."},
    {151, "No han podido leerse correctamente los datos del NEXO."},
    {152, "Se ha encontrado una copia de seguridad con la versión %f. Se soportan sólo copias de seguridad a partir de la versión 107."},
    {153, "Las contraseñas no coinciden."},
    {154, "Contraseña incorrecta. Se terminará la comunicación."},
    {155, "Restaurar datos de SKD del PC de nuevo al SKD."},
    {156, "Cargar datos del SKD en el PC."},
    {157, "SKD"},
    {158, "Crear copia de seguridad"},
    {159, "Aviso: ¡El SKD %d existe sólo en el archivo de copia de seguridad!"},
    {160, "Aviso: ¡El SKD %d existe sólo en el bus!"},
    {161, "Error: SKD %a no se ha restablecido correctamente"},
    {162, "Error: ¡El SKD %a no responde!"},
    {163, "Espera al NEXO (aprox. 70 segundos)"},
    {164, "Creando copia de seguridad de SKD %a."},
    {165, "Terminada copia de seguridad de SKD %a"},
    {166, "Iniciada restauración del SKD %a."},
    {167, "Terminada restauración del SKD %a."},
    {168, "[todos]"},
}};

}  // namespace

const char* builtinText(int id)
{
    for (const Entry& e : kBuiltin)
        if (e.id == id)
            return e.text;
    return nullptr;
}
