<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="es_ES">
<context>
    <name></name>
    <message id="IDD_102_TITLE">
        <source>Copias de seguridad del NEXO</source>
        <translation>Copias de seguridad del NEXO</translation>
    </message>
    <message id="IDD_102_CLOSE">
        <source>Cerrar</source>
        <translation>Cerrar</translation>
    </message>
    <message id="IDD_102_ADDRESS_LABEL">
        <source>Dirección IP</source>
        <translation>Dirección IP</translation>
    </message>
    <message id="IDD_102_PORT_LABEL">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="IDD_102_BACKUP">
        <source>&amp;Copia de seguridad [PC&lt;-NEXO] ...</source>
        <translation>&amp;Copia de seguridad [PC&lt;-NEXO] ...</translation>
    </message>
    <message id="IDD_102_RESTORE">
        <source>&amp;Restaurar [PC-&gt;NEXO] ...</source>
        <translation>&amp;Restaurar [PC-&gt;NEXO] ...</translation>
    </message>
    <message id="IDD_133_TITLE">
        <source>NEXO Contraseña</source>
        <translation>NEXO Contraseña</translation>
    </message>
    <message id="IDD_133_OK">
        <source>Aceptar</source>
        <translation>Aceptar</translation>
    </message>
    <message id="IDD_133_CANCEL">
        <source>Cancelar</source>
        <translation>Cancelar</translation>
    </message>
    <message id="IDD_133_LABEL">
        <source>Contraseña:</source>
        <translation>Contraseña:</translation>
    </message>
    <message id="IDD_134_TITLE">
        <source>Crear copia de seguridad del SKD</source>
        <translation>Crear copia de seguridad del SKD</translation>
    </message>
    <message id="IDD_134_IDENTICAL">
        <source>Los datos son idénticos en todos los SKDs</source>
        <translation>Los datos son idénticos en todos los SKDs</translation>
    </message>
    <message id="IDD_134_MASTER_LABEL">
        <source>SKD maestro:</source>
        <translation>SKD maestro:</translation>
    </message>
    <message id="IDD_134_OK">
        <source>Aceptar</source>
        <translation>Aceptar</translation>
    </message>
    <message id="IDD_134_CANCEL">
        <source>Cancelar</source>
        <translation>Cancelar</translation>
    </message>
    <message id="APP_PASSWORD_CHARSET">
        <source>La contraseña contiene caracteres que el NEXO no admite.</source>
        <translation>La contraseña contiene caracteres que el NEXO no admite.</translation>
    </message>
    <message id="APP_PROGRESS_WAIT_GATEWAY">
        <source>Esperando al NEXO</source>
        <translation>Esperando al NEXO</translation>
    </message>
    <message id="APP_PROGRESS_CONNECT">
        <source>Conectando al puerto del bus, intento %1 de %2</source>
        <translation>Conectando al puerto del bus, intento %1 de %2</translation>
    </message>
    <message id="APP_PROGRESS_SETTLE">
        <source>Esperando a que el bus esté listo</source>
        <translation>Esperando a que el bus esté listo</translation>
    </message>
    <message id="APP_PROGRESS_SCAN">
        <source>Buscando SKDs en el bus</source>
        <translation>Buscando SKDs en el bus</translation>
    </message>
    <message id="APP_PROGRESS_BACKUP">
        <source>Copia de seguridad del SKD %1</source>
        <translation>Copia de seguridad del SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_RESTORE">
        <source>Restauración del SKD %1</source>
        <translation>Restauración del SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CLEAN">
        <source>Borrando el SKD %1</source>
        <translation>Borrando el SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CHECK">
        <source>Comprobando el CRC del SKD %1</source>
        <translation>Comprobando el CRC del SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_BYTES">
        <source>%1 de %2 bytes</source>
        <translation>%1 de %2 bytes</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS">
        <source>%1 de %2 s</source>
        <translation>%1 de %2 s</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS_MAX">
        <source>%1 s (máx. %2 s)</source>
        <translation>%1 s (máx. %2 s)</translation>
    </message>
    <message id="APP_PROGRESS_STEPS">
        <source>dirección %1 de %2</source>
        <translation>dirección %1 de %2</translation>
    </message>
    <message id="APP_PROGRESS_LEFT">
        <source>quedan %1</source>
        <translation>quedan %1</translation>
    </message>
    <message id="APP_PROGRESS_LEFT_JOB">
        <source>quedan %1 (en total %2)</source>
        <translation>quedan %1 (en total %2)</translation>
    </message>
    <message id="APP_PROGRESS_DONE">
        <source>Trabajo terminado</source>
        <translation>Trabajo terminado</translation>
    </message>
    <message id="JOB_SKD_CFG_NOT_RESTORED">
        <source>Error: el SKD %a no ha recibido su registro de configuración</source>
        <translation>Error: el SKD %a no ha recibido su registro de configuración</translation>
    </message>
    <message id="JOB_SKD_IMAGE_CUT_SHORT">
        <source>Error: la imagen del SKD %a en el archivo de copia de seguridad está incompleta (%d de %d bytes): no se restaura nada</source>
        <translation>Error: la imagen del SKD %a en el archivo de copia de seguridad está incompleta (%d de %d bytes): no se restaura nada</translation>
    </message>
    <message id="IDS_103">
        <source>Error al inicializar los sockets de Windows.</source>
        <translation>Error al inicializar los sockets de Windows.</translation>
    </message>
    <message id="IDS_104">
        <source>Versión de herramienta de Copias de seguridad NEXO</source>
        <translation>Versión de herramienta de Copias de seguridad NEXO</translation>
    </message>
    <message id="IDS_105">
        <source>Restaurar datos de configuración transfiriéndolos del PC al NEXO.</source>
        <translation>Restaurar datos de configuración transfiriéndolos del PC al NEXO.</translation>
    </message>
    <message id="IDS_106">
        <source>Cargar datos de configuración del NEXO al PC.</source>
        <translation>Cargar datos de configuración del NEXO al PC.</translation>
    </message>
    <message id="IDS_107">
        <source>Salir de herramienta de Copias de seguridad del NEXO.</source>
        <translation>Salir de herramienta de Copias de seguridad del NEXO.</translation>
    </message>
    <message id="IDS_108">
        <source>La dirección IP del NEXO</source>
        <translation>La dirección IP del NEXO</translation>
    </message>
    <message id="IDS_109">
        <source>El número de puerto a través del cual se ha de realizar la comunicación.</source>
        <translation>El número de puerto a través del cual se ha de realizar la comunicación.</translation>
    </message>
    <message id="IDS_110">
        <source>Lista de estados indicados.</source>
        <translation>Lista de estados indicados.</translation>
    </message>
    <message id="IDS_111">
        <source>Guarda datos en archivo %s</source>
        <translation>Guarda datos en archivo %s</translation>
    </message>
    <message id="IDS_112">
        <source>Darga datos desde archivo %s</source>
        <translation>Darga datos desde archivo %s</translation>
    </message>
    <message id="IDS_113">
        <source>No puede accederse a la red.</source>
        <translation>No puede accederse a la red.</translation>
    </message>
    <message id="IDS_114">
        <source>Se ha cancelado la comunicación.</source>
        <translation>Se ha cancelado la comunicación.</translation>
    </message>
    <message id="IDS_115">
        <source>El comunicante homólogo ha cancelado la comunicación.</source>
        <translation>El comunicante homólogo ha cancelado la comunicación.</translation>
    </message>
    <message id="IDS_116">
        <source>Ha fallado la comunicación con el host destino.</source>
        <translation>Ha fallado la comunicación con el host destino.</translation>
    </message>
    <message id="IDS_117">
        <source>Ya no puede mantenerse la comunicación durante más tiempo.</source>
        <translation>Ya no puede mantenerse la comunicación durante más tiempo.</translation>
    </message>
    <message id="IDS_118">
        <source>No se ha permitido la comunicación.</source>
        <translation>No se ha permitido la comunicación.</translation>
    </message>
    <message id="IDS_119">
        <source>La dirección destino es desconocida.</source>
        <translation>La dirección destino es desconocida.</translation>
    </message>
    <message id="IDS_120">
        <source>La ruta a la dirección destino es desconocida.</source>
        <translation>La ruta a la dirección destino es desconocida.</translation>
    </message>
    <message id="IDS_121">
        <source>No ha podido resolverse la dirección destino.</source>
        <translation>No ha podido resolverse la dirección destino.</translation>
    </message>
    <message id="IDS_122">
        <source>Error inespecífico.</source>
        <translation>Error inespecífico.</translation>
    </message>
    <message id="IDS_123">
        <source>Error al cargar los datos.</source>
        <translation>Error al cargar los datos.</translation>
    </message>
    <message id="IDS_124">
        <source>Se ha producido un error de red.</source>
        <translation>Se ha producido un error de red.</translation>
    </message>
    <message id="IDS_125">
        <source>No hay datos.</source>
        <translation>No hay datos.</translation>
    </message>
    <message id="IDS_126">
        <source>Se ha producido un error de memoria.</source>
        <translation>Se ha producido un error de memoria.</translation>
    </message>
    <message id="IDS_127">
        <source>Longitud de registro de datos incorrecta.</source>
        <translation>Longitud de registro de datos incorrecta.</translation>
    </message>
    <message id="IDS_128">
        <source>El objeto de datos solicitado es desconocido.</source>
        <translation>El objeto de datos solicitado es desconocido.</translation>
    </message>
    <message id="IDS_129">
        <source>Error al restaurar los datos.</source>
        <translation>Error al restaurar los datos.</translation>
    </message>
    <message id="IDS_130">
        <source>Ya se ha terminado la comunicación con el NEXO.</source>
        <translation>Ya se ha terminado la comunicación con el NEXO.</translation>
    </message>
    <message id="IDS_131">
        <source>El NEXO no ha cerrado correctamente la comunicación.</source>
        <translation>El NEXO no ha cerrado correctamente la comunicación.</translation>
    </message>
    <message id="IDS_132">
        <source>No ha podido terminarse por completo la comunicación con el NEXO.</source>
        <translation>No ha podido terminarse por completo la comunicación con el NEXO.</translation>
    </message>
    <message id="IDS_133">
        <source>La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f.</source>
        <translation>La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f.</translation>
    </message>
    <message id="IDS_134">
        <source>No han podido leerse correctamente los datos.</source>
        <translation>No han podido leerse correctamente los datos.</translation>
    </message>
    <message id="IDS_135">
        <source>Se ha terminado la carga de los datos.</source>
        <translation>Se ha terminado la carga de los datos.</translation>
    </message>
    <message id="IDS_136">
        <source>Se ha terminado la restauración de los datos.</source>
        <translation>Se ha terminado la restauración de los datos.</translation>
    </message>
    <message id="IDS_137">
        <source>Se ha cerrado la comunicación con el NEXO.</source>
        <translation>Se ha cerrado la comunicación con el NEXO.</translation>
    </message>
    <message id="IDS_138">
        <source>Carga los datos %s ...</source>
        <translation>Carga los datos %s ...</translation>
    </message>
    <message id="IDS_139">
        <source>Se han guardado los datos %s.</source>
        <translation>Se han guardado los datos %s.</translation>
    </message>
    <message id="IDS_140">
        <source>Se ha terminado la carga de los datos %s.</source>
        <translation>Se ha terminado la carga de los datos %s.</translation>
    </message>
    <message id="IDS_141">
        <source>Graba los datos %s ...</source>
        <translation>Graba los datos %s ...</translation>
    </message>
    <message id="IDS_142">
        <source>Se han grabado los datos %s.</source>
        <translation>Se han grabado los datos %s.</translation>
    </message>
    <message id="IDS_143">
        <source>ERROR -- %s (%s -&gt; %s[%d])</source>
        <translation>ERROR -- %s (%s -&gt; %s[%d])</translation>
    </message>
    <message id="IDS_144">
        <source>No ha podido determinarse la versión del NEXO.</source>
        <translation>No ha podido determinarse la versión del NEXO.</translation>
    </message>
    <message id="IDS_145">
        <source>Encontrado NEXO versión %f.</source>
        <translation>Encontrado NEXO versión %f.</translation>
    </message>
    <message id="IDS_146">
        <source>El archivo de copia de seguridad no contiene datos sobre esta parte de la configuración.</source>
        <translation>El archivo de copia de seguridad no contiene datos sobre esta parte de la configuración.</translation>
    </message>
    <message id="IDS_147">
        <source>El archivo de copia de seguridad está dañado.</source>
        <translation>El archivo de copia de seguridad está dañado.</translation>
    </message>
    <message id="IDS_148">
        <source>Error de NEXO</source>
        <translation>Error de NEXO</translation>
    </message>
    <message id="IDS_149">
        <source>Error de archivo</source>
        <translation>Error de archivo</translation>
    </message>
    <message id="IDS_150">
        <source>No han podido transferirse correctamente los datos al NEXO.</source>
        <translation>No han podido transferirse correctamente los datos al NEXO.</translation>
    </message>
    <message id="IDS_151">
        <source>No han podido leerse correctamente los datos del NEXO.</source>
        <translation>No han podido leerse correctamente los datos del NEXO.</translation>
    </message>
    <message id="IDS_152">
        <source>Se ha encontrado una copia de seguridad con la versión %f. Se soportan sólo copias de seguridad a partir de la versión 107.</source>
        <translation>Se ha encontrado una copia de seguridad con la versión %f. Se soportan sólo copias de seguridad a partir de la versión 107.</translation>
    </message>
    <message id="IDS_153">
        <source>Las contraseñas no coinciden.</source>
        <translation>Las contraseñas no coinciden.</translation>
    </message>
    <message id="IDS_154">
        <source>Contraseña incorrecta. Se terminará la comunicación.</source>
        <translation>Contraseña incorrecta. Se terminará la comunicación.</translation>
    </message>
    <message id="IDS_155">
        <source>Restaurar datos de SKD del PC de nuevo al SKD.</source>
        <translation>Restaurar datos de SKD del PC de nuevo al SKD.</translation>
    </message>
    <message id="IDS_156">
        <source>Cargar datos del SKD en el PC.</source>
        <translation>Cargar datos del SKD en el PC.</translation>
    </message>
    <message id="IDS_157">
        <source>SKD</source>
        <translation>SKD</translation>
    </message>
    <message id="IDS_158">
        <source>Crear copia de seguridad</source>
        <translation>Crear copia de seguridad</translation>
    </message>
    <message id="IDS_159">
        <source>Aviso: ¡El SKD %d existe sólo en el archivo de copia de seguridad!</source>
        <translation>Aviso: ¡El SKD %d existe sólo en el archivo de copia de seguridad!</translation>
    </message>
    <message id="IDS_160">
        <source>Aviso: ¡El SKD %d existe sólo en el bus!</source>
        <translation>Aviso: ¡El SKD %d existe sólo en el bus!</translation>
    </message>
    <message id="IDS_161">
        <source>Error: SKD %a no se ha restablecido correctamente</source>
        <translation>Error: SKD %a no se ha restablecido correctamente</translation>
    </message>
    <message id="IDS_162">
        <source>Error: ¡El SKD %a no responde!</source>
        <translation>Error: ¡El SKD %a no responde!</translation>
    </message>
    <message id="IDS_163">
        <source>Espera al NEXO (aprox. 70 segundos)</source>
        <translation>Espera al NEXO (aprox. 70 segundos)</translation>
    </message>
    <message id="IDS_164">
        <source>Creando copia de seguridad de SKD %a.</source>
        <translation>Creando copia de seguridad de SKD %a.</translation>
    </message>
    <message id="IDS_165">
        <source>Terminada copia de seguridad de SKD %a</source>
        <translation>Terminada copia de seguridad de SKD %a</translation>
    </message>
    <message id="IDS_166">
        <source>Iniciada restauración del SKD %a.</source>
        <translation>Iniciada restauración del SKD %a.</translation>
    </message>
    <message id="IDS_167">
        <source>Terminada restauración del SKD %a.</source>
        <translation>Terminada restauración del SKD %a.</translation>
    </message>
    <message id="IDS_168">
        <source>[todos]</source>
        <translation>[todos]</translation>
    </message>
</context>
</TS>
