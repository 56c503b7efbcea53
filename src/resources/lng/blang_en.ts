<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="es_ES">
<context>
    <name></name>
    <message id="IDD_102_TITLE">
        <source>Copias de seguridad del NEXO</source>
        <translation>NEXO Backups</translation>
    </message>
    <message id="IDD_102_CLOSE">
        <source>Cerrar</source>
        <translation>Close</translation>
    </message>
    <message id="IDD_102_ADDRESS_LABEL">
        <source>Dirección IP</source>
        <translation>IP address</translation>
    </message>
    <message id="IDD_102_PORT_LABEL">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="IDD_102_BACKUP">
        <source>&amp;Copia de seguridad [PC&lt;-NEXO] ...</source>
        <translation>&amp;Backup [PC&lt;-NEXO] ...</translation>
    </message>
    <message id="IDD_102_RESTORE">
        <source>&amp;Restaurar [PC-&gt;NEXO] ...</source>
        <translation>&amp;Restore [PC-&gt;NEXO] ...</translation>
    </message>
    <message id="IDD_133_TITLE">
        <source>NEXO Contraseña</source>
        <translation>NEXO Password</translation>
    </message>
    <message id="IDD_133_OK">
        <source>Aceptar</source>
        <translation>OK</translation>
    </message>
    <message id="IDD_133_CANCEL">
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message id="IDD_133_LABEL">
        <source>Contraseña:</source>
        <translation>Password:</translation>
    </message>
    <message id="IDD_134_TITLE">
        <source>Crear copia de seguridad del SKD</source>
        <translation>Back up SKD</translation>
    </message>
    <message id="IDD_134_IDENTICAL">
        <source>Los datos son idénticos en todos los SKDs</source>
        <translation>All SKDs hold identical data</translation>
    </message>
    <message id="IDD_134_MASTER_LABEL">
        <source>SKD maestro:</source>
        <translation>Master SKD:</translation>
    </message>
    <message id="IDD_134_OK">
        <source>Aceptar</source>
        <translation>OK</translation>
    </message>
    <message id="IDD_134_CANCEL">
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message id="APP_PASSWORD_CHARSET">
        <source>La contraseña contiene caracteres que el NEXO no admite.</source>
        <translation>The password contains characters that the NEXO does not accept.</translation>
    </message>
    <message id="APP_PROGRESS_WAIT_GATEWAY">
        <source>Esperando al NEXO</source>
        <translation>Waiting for the NEXO</translation>
    </message>
    <message id="APP_PROGRESS_CONNECT">
        <source>Conectando al puerto del bus, intento %1 de %2</source>
        <translation>Connecting to the bus port, attempt %1 of %2</translation>
    </message>
    <message id="APP_PROGRESS_SETTLE">
        <source>Esperando a que el bus esté listo</source>
        <translation>Waiting for the bus to settle</translation>
    </message>
    <message id="APP_PROGRESS_SCAN">
        <source>Buscando SKDs en el bus</source>
        <translation>Searching the bus for SKDs</translation>
    </message>
    <message id="APP_PROGRESS_BACKUP">
        <source>Copia de seguridad del SKD %1</source>
        <translation>Backup of SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_RESTORE">
        <source>Restauración del SKD %1</source>
        <translation>Restore of SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CLEAN">
        <source>Borrando el SKD %1</source>
        <translation>Clearing SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CHECK">
        <source>Comprobando el CRC del SKD %1</source>
        <translation>Checking the CRC of SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_BYTES">
        <source>%1 de %2 bytes</source>
        <translation>%1 of %2 bytes</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS">
        <source>%1 de %2 s</source>
        <translation>%1 of %2 s</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS_MAX">
        <source>%1 s (máx. %2 s)</source>
        <translation>%1 s (at most %2 s)</translation>
    </message>
    <message id="APP_PROGRESS_STEPS">
        <source>dirección %1 de %2</source>
        <translation>address %1 of %2</translation>
    </message>
    <message id="APP_PROGRESS_LEFT">
        <source>quedan %1</source>
        <translation>%1 left</translation>
    </message>
    <message id="APP_PROGRESS_LEFT_JOB">
        <source>quedan %1 (en total %2)</source>
        <translation>%1 left (job %2)</translation>
    </message>
    <message id="APP_PROGRESS_DONE">
        <source>Trabajo terminado</source>
        <translation>Job finished</translation>
    </message>
    <message id="JOB_SKD_CFG_NOT_RESTORED">
        <source>Error: el SKD %a no ha recibido su registro de configuración</source>
        <translation>Error: SKD %a has not received its configuration record</translation>
    </message>
    <message id="JOB_SKD_IMAGE_CUT_SHORT">
        <source>Error: la imagen del SKD %a en el archivo de copia de seguridad está incompleta (%d de %d bytes): no se restaura nada</source>
        <translation>Error: the image of SKD %a in the backup file is incomplete (%d of %d bytes): nothing is restored</translation>
    </message>
    <message id="IDS_103">
        <source>Error al inicializar los sockets de Windows.</source>
        <translation>Failed to initialise the Windows sockets.</translation>
    </message>
    <message id="IDS_104">
        <source>Versión de herramienta de Copias de seguridad NEXO</source>
        <translation>NEXO Backup Tool version</translation>
    </message>
    <message id="IDS_105">
        <source>Restaurar datos de configuración transfiriéndolos del PC al NEXO.</source>
        <translation>Restore configuration data by transferring it from the PC to the NEXO.</translation>
    </message>
    <message id="IDS_106">
        <source>Cargar datos de configuración del NEXO al PC.</source>
        <translation>Load configuration data from the NEXO to the PC.</translation>
    </message>
    <message id="IDS_107">
        <source>Salir de herramienta de Copias de seguridad del NEXO.</source>
        <translation>Exit the NEXO Backup Tool.</translation>
    </message>
    <message id="IDS_108">
        <source>La dirección IP del NEXO</source>
        <translation>The IP address of the NEXO</translation>
    </message>
    <message id="IDS_109">
        <source>El número de puerto a través del cual se ha de realizar la comunicación.</source>
        <translation>The port number used for the communication.</translation>
    </message>
    <message id="IDS_110">
        <source>Lista de estados indicados.</source>
        <translation>List of status messages.</translation>
    </message>
    <message id="IDS_111">
        <source>Guarda datos en archivo %s</source>
        <translation>Saving data to file %s</translation>
    </message>
    <message id="IDS_112">
        <source>Darga datos desde archivo %s</source>
        <translation>Loading data from file %s</translation>
    </message>
    <message id="IDS_113">
        <source>No puede accederse a la red.</source>
        <translation>The network cannot be reached.</translation>
    </message>
    <message id="IDS_114">
        <source>Se ha cancelado la comunicación.</source>
        <translation>The connection was aborted.</translation>
    </message>
    <message id="IDS_115">
        <source>El comunicante homólogo ha cancelado la comunicación.</source>
        <translation>The connection was aborted by the peer.</translation>
    </message>
    <message id="IDS_116">
        <source>Ha fallado la comunicación con el host destino.</source>
        <translation>Communication with the destination host failed.</translation>
    </message>
    <message id="IDS_117">
        <source>Ya no puede mantenerse la comunicación durante más tiempo.</source>
        <translation>The connection can no longer be maintained.</translation>
    </message>
    <message id="IDS_118">
        <source>No se ha permitido la comunicación.</source>
        <translation>The connection was not permitted.</translation>
    </message>
    <message id="IDS_119">
        <source>La dirección destino es desconocida.</source>
        <translation>The destination address is unknown.</translation>
    </message>
    <message id="IDS_120">
        <source>La ruta a la dirección destino es desconocida.</source>
        <translation>The route to the destination address is unknown.</translation>
    </message>
    <message id="IDS_121">
        <source>No ha podido resolverse la dirección destino.</source>
        <translation>The destination address could not be resolved.</translation>
    </message>
    <message id="IDS_122">
        <source>Error inespecífico.</source>
        <translation>Unspecified error.</translation>
    </message>
    <message id="IDS_123">
        <source>Error al cargar los datos.</source>
        <translation>Error loading the data.</translation>
    </message>
    <message id="IDS_124">
        <source>Se ha producido un error de red.</source>
        <translation>A network error has occurred.</translation>
    </message>
    <message id="IDS_125">
        <source>No hay datos.</source>
        <translation>No data.</translation>
    </message>
    <message id="IDS_126">
        <source>Se ha producido un error de memoria.</source>
        <translation>A memory error has occurred.</translation>
    </message>
    <message id="IDS_127">
        <source>Longitud de registro de datos incorrecta.</source>
        <translation>Incorrect data record length.</translation>
    </message>
    <message id="IDS_128">
        <source>El objeto de datos solicitado es desconocido.</source>
        <translation>The requested data object is unknown.</translation>
    </message>
    <message id="IDS_129">
        <source>Error al restaurar los datos.</source>
        <translation>Error restoring the data.</translation>
    </message>
    <message id="IDS_130">
        <source>Ya se ha terminado la comunicación con el NEXO.</source>
        <translation>The communication with the NEXO has already ended.</translation>
    </message>
    <message id="IDS_131">
        <source>El NEXO no ha cerrado correctamente la comunicación.</source>
        <translation>The NEXO did not close the communication correctly.</translation>
    </message>
    <message id="IDS_132">
        <source>No ha podido terminarse por completo la comunicación con el NEXO.</source>
        <translation>The communication with the NEXO could not be ended completely.</translation>
    </message>
    <message id="IDS_133">
        <source>La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f.</source>
        <translation>Backup file version %f is not compatible with NEXO version %f.</translation>
    </message>
    <message id="IDS_134">
        <source>No han podido leerse correctamente los datos.</source>
        <translation>The data could not be read correctly.</translation>
    </message>
    <message id="IDS_135">
        <source>Se ha terminado la carga de los datos.</source>
        <translation>Loading the data has finished.</translation>
    </message>
    <message id="IDS_136">
        <source>Se ha terminado la restauración de los datos.</source>
        <translation>Restoring the data has finished.</translation>
    </message>
    <message id="IDS_137">
        <source>Se ha cerrado la comunicación con el NEXO.</source>
        <translation>The communication with the NEXO has been closed.</translation>
    </message>
    <message id="IDS_138">
        <source>Carga los datos %s ...</source>
        <translation>Loading data %s ...</translation>
    </message>
    <message id="IDS_139">
        <source>Se han guardado los datos %s.</source>
        <translation>Data %s saved.</translation>
    </message>
    <message id="IDS_140">
        <source>Se ha terminado la carga de los datos %s.</source>
        <translation>Loading data %s has finished.</translation>
    </message>
    <message id="IDS_141">
        <source>Graba los datos %s ...</source>
        <translation>Writing data %s ...</translation>
    </message>
    <message id="IDS_142">
        <source>Se han grabado los datos %s.</source>
        <translation>Data %s written.</translation>
    </message>
    <message id="IDS_143">
        <source>ERROR -- %s (%s -&gt; %s[%d])</source>
        <translation>ERROR -- %s (%s -&gt; %s[%d])</translation>
    </message>
    <message id="IDS_144">
        <source>No ha podido determinarse la versión del NEXO.</source>
        <translation>The NEXO version could not be determined.</translation>
    </message>
    <message id="IDS_145">
        <source>Encontrado NEXO versión %f.</source>
        <translation>Found NEXO version %f.</translation>
    </message>
    <message id="IDS_146">
        <source>El archivo de copia de seguridad no contiene datos sobre esta parte de la configuración.</source>
        <translation>The backup file contains no data for this part of the configuration.</translation>
    </message>
    <message id="IDS_147">
        <source>El archivo de copia de seguridad está dañado.</source>
        <translation>The backup file is damaged.</translation>
    </message>
    <message id="IDS_148">
        <source>Error de NEXO</source>
        <translation>NEXO error</translation>
    </message>
    <message id="IDS_149">
        <source>Error de archivo</source>
        <translation>File error</translation>
    </message>
    <message id="IDS_150">
        <source>No han podido transferirse correctamente los datos al NEXO.</source>
        <translation>The data could not be transferred correctly to the NEXO.</translation>
    </message>
    <message id="IDS_151">
        <source>No han podido leerse correctamente los datos del NEXO.</source>
        <translation>The data could not be read correctly from the NEXO.</translation>
    </message>
    <message id="IDS_152">
        <source>Se ha encontrado una copia de seguridad con la versión %f. Se soportan sólo copias de seguridad a partir de la versión 107.</source>
        <translation>Found a backup with version %f. Only backups from version 107 onwards are supported.</translation>
    </message>
    <message id="IDS_153">
        <source>Las contraseñas no coinciden.</source>
        <translation>The passwords do not match.</translation>
    </message>
    <message id="IDS_154">
        <source>Contraseña incorrecta. Se terminará la comunicación.</source>
        <translation>Incorrect password. The communication will be ended.</translation>
    </message>
    <message id="IDS_155">
        <source>Restaurar datos de SKD del PC de nuevo al SKD.</source>
        <translation>Restore SKD data from the PC back to the SKD.</translation>
    </message>
    <message id="IDS_156">
        <source>Cargar datos del SKD en el PC.</source>
        <translation>Load SKD data to the PC.</translation>
    </message>
    <message id="IDS_157">
        <source>SKD</source>
        <translation>SKD</translation>
    </message>
    <message id="IDS_158">
        <source>Crear copia de seguridad</source>
        <translation>Create backup</translation>
    </message>
    <message id="IDS_159">
        <source>Aviso: ¡El SKD %d existe sólo en el archivo de copia de seguridad!</source>
        <translation>Warning: SKD %d exists only in the backup file!</translation>
    </message>
    <message id="IDS_160">
        <source>Aviso: ¡El SKD %d existe sólo en el bus!</source>
        <translation>Warning: SKD %d exists only on the bus!</translation>
    </message>
    <message id="IDS_161">
        <source>Error: SKD %a no se ha restablecido correctamente</source>
        <translation>Error: SKD %a was not restored correctly</translation>
    </message>
    <message id="IDS_162">
        <source>Error: ¡El SKD %a no responde!</source>
        <translation>Error: SKD %a is not responding!</translation>
    </message>
    <message id="IDS_163">
        <source>Espera al NEXO (aprox. 70 segundos)</source>
        <translation>Waiting for the NEXO (approx. 70 seconds)</translation>
    </message>
    <message id="IDS_164">
        <source>Creando copia de seguridad de SKD %a.</source>
        <translation>Creating backup of SKD %a.</translation>
    </message>
    <message id="IDS_165">
        <source>Terminada copia de seguridad de SKD %a</source>
        <translation>Backup of SKD %a finished</translation>
    </message>
    <message id="IDS_166">
        <source>Iniciada restauración del SKD %a.</source>
        <translation>Restore of SKD %a started.</translation>
    </message>
    <message id="IDS_167">
        <source>Terminada restauración del SKD %a.</source>
        <translation>Restore of SKD %a finished.</translation>
    </message>
    <message id="IDS_168">
        <source>[todos]</source>
        <translation>[all]</translation>
    </message>
</context>
</TS>
