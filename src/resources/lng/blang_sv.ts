<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sv_SE" sourcelanguage="es_ES">
<context>
    <name></name>
    <message id="IDD_102_TITLE">
        <source>Copias de seguridad del NEXO</source>
        <translation>NEXO-säkerhetskopior</translation>
    </message>
    <message id="IDD_102_CLOSE">
        <source>Cerrar</source>
        <translation>Stäng</translation>
    </message>
    <message id="IDD_102_ADDRESS_LABEL">
        <source>Dirección IP</source>
        <translation>IP-adress</translation>
    </message>
    <message id="IDD_102_PORT_LABEL">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="IDD_102_BACKUP">
        <source>&amp;Copia de seguridad [PC&lt;-NEXO] ...</source>
        <translation>&amp;Säkerhetskopiera [PC&lt;-NEXO] ...</translation>
    </message>
    <message id="IDD_102_RESTORE">
        <source>&amp;Restaurar [PC-&gt;NEXO] ...</source>
        <translation>&amp;Återställ [PC-&gt;NEXO] ...</translation>
    </message>
    <message id="IDD_133_TITLE">
        <source>NEXO Contraseña</source>
        <translation>NEXO-lösenord</translation>
    </message>
    <message id="IDD_133_OK">
        <source>Aceptar</source>
        <translation>OK</translation>
    </message>
    <message id="IDD_133_CANCEL">
        <source>Cancelar</source>
        <translation>Avbryt</translation>
    </message>
    <message id="IDD_133_LABEL">
        <source>Contraseña:</source>
        <translation>Lösenord:</translation>
    </message>
    <message id="IDD_134_TITLE">
        <source>Crear copia de seguridad del SKD</source>
        <translation>Säkerhetskopiera SKD</translation>
    </message>
    <message id="IDD_134_IDENTICAL">
        <source>Los datos son idénticos en todos los SKDs</source>
        <translation>Alla SKD:er har identiska data</translation>
    </message>
    <message id="IDD_134_MASTER_LABEL">
        <source>SKD maestro:</source>
        <translation>Master-SKD:</translation>
    </message>
    <message id="IDD_134_OK">
        <source>Aceptar</source>
        <translation>OK</translation>
    </message>
    <message id="IDD_134_CANCEL">
        <source>Cancelar</source>
        <translation>Avbryt</translation>
    </message>
    <message id="APP_PASSWORD_CHARSET">
        <source>La contraseña contiene caracteres que el NEXO no admite.</source>
        <translation>Lösenordet innehåller tecken som NEXO inte stöder.</translation>
    </message>
    <message id="APP_PROGRESS_WAIT_GATEWAY">
        <source>Esperando al NEXO</source>
        <translation>Väntar på NEXO</translation>
    </message>
    <message id="APP_PROGRESS_CONNECT">
        <source>Conectando al puerto del bus, intento %1 de %2</source>
        <translation>Ansluter till bussporten, försök %1 av %2</translation>
    </message>
    <message id="APP_PROGRESS_SETTLE">
        <source>Esperando a que el bus esté listo</source>
        <translation>Väntar på att bussen ska bli redo</translation>
    </message>
    <message id="APP_PROGRESS_SCAN">
        <source>Buscando SKDs en el bus</source>
        <translation>Söker efter SKD på bussen</translation>
    </message>
    <message id="APP_PROGRESS_BACKUP">
        <source>Copia de seguridad del SKD %1</source>
        <translation>Säkerhetskopiering av SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_RESTORE">
        <source>Restauración del SKD %1</source>
        <translation>Återställning av SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CLEAN">
        <source>Borrando el SKD %1</source>
        <translation>Raderar SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CHECK">
        <source>Comprobando el CRC del SKD %1</source>
        <translation>Kontrollerar CRC för SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_BYTES">
        <source>%1 de %2 bytes</source>
        <translation>%1 av %2 byte</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS">
        <source>%1 de %2 s</source>
        <translation>%1 av %2 s</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS_MAX">
        <source>%1 s (máx. %2 s)</source>
        <translation>%1 s (högst %2 s)</translation>
    </message>
    <message id="APP_PROGRESS_STEPS">
        <source>dirección %1 de %2</source>
        <translation>adress %1 av %2</translation>
    </message>
    <message id="APP_PROGRESS_LEFT">
        <source>quedan %1</source>
        <translation>%1 kvar</translation>
    </message>
    <message id="APP_PROGRESS_LEFT_JOB">
        <source>quedan %1 (en total %2)</source>
        <translation>%1 kvar (totalt %2)</translation>
    </message>
    <message id="APP_PROGRESS_DONE">
        <source>Trabajo terminado</source>
        <translation>Jobbet är klart</translation>
    </message>
    <message id="JOB_SKD_CFG_NOT_RESTORED">
        <source>Error: el SKD %a no ha recibido su registro de configuración</source>
        <translation>Fel: SKD %a har inte fått sin konfigurationspost</translation>
    </message>
    <message id="JOB_SKD_IMAGE_CUT_SHORT">
        <source>Error: la imagen del SKD %a en el archivo de copia de seguridad está incompleta (%d de %d bytes): no se restaura nada</source>
        <translation>Fel: avbildningen av SKD %a i säkerhetskopian är ofullständig (%d av %d byte): ingenting återställs</translation>
    </message>
    <message id="IDS_103">
        <source>Error al inicializar los sockets de Windows.</source>
        <translation>Fel vid initiering av Windows-socketar.</translation>
    </message>
    <message id="IDS_104">
        <source>Versión de herramienta de Copias de seguridad NEXO</source>
        <translation>Version av NEXO-säkerhetskopieringsverktyget</translation>
    </message>
    <message id="IDS_105">
        <source>Restaurar datos de configuración transfiriéndolos del PC al NEXO.</source>
        <translation>Återställ konfigurationsdata genom att överföra dem från datorn till NEXO.</translation>
    </message>
    <message id="IDS_106">
        <source>Cargar datos de configuración del NEXO al PC.</source>
        <translation>Läs in konfigurationsdata från NEXO till datorn.</translation>
    </message>
    <message id="IDS_107">
        <source>Salir de herramienta de Copias de seguridad del NEXO.</source>
        <translation>Avsluta NEXO-säkerhetskopieringsverktyget.</translation>
    </message>
    <message id="IDS_108">
        <source>La dirección IP del NEXO</source>
        <translation>IP-adressen till NEXO</translation>
    </message>
    <message id="IDS_109">
        <source>El número de puerto a través del cual se ha de realizar la comunicación.</source>
        <translation>Portnumret som kommunikationen ska ske via.</translation>
    </message>
    <message id="IDS_110">
        <source>Lista de estados indicados.</source>
        <translation>Lista över statusmeddelanden.</translation>
    </message>
    <message id="IDS_111">
        <source>Guarda datos en archivo %s</source>
        <translation>Sparar data i filen %s</translation>
    </message>
    <message id="IDS_112">
        <source>Darga datos desde archivo %s</source>
        <translation>Läser in data från filen %s</translation>
    </message>
    <message id="IDS_113">
        <source>No puede accederse a la red.</source>
        <translation>Nätverket kan inte nås.</translation>
    </message>
    <message id="IDS_114">
        <source>Se ha cancelado la comunicación.</source>
        <translation>Kommunikationen har avbrutits.</translation>
    </message>
    <message id="IDS_115">
        <source>El comunicante homólogo ha cancelado la comunicación.</source>
        <translation>Motparten har avbrutit kommunikationen.</translation>
    </message>
    <message id="IDS_116">
        <source>Ha fallado la comunicación con el host destino.</source>
        <translation>Kommunikationen med målvärden misslyckades.</translation>
    </message>
    <message id="IDS_117">
        <source>Ya no puede mantenerse la comunicación durante más tiempo.</source>
        <translation>Kommunikationen kan inte upprätthållas längre.</translation>
    </message>
    <message id="IDS_118">
        <source>No se ha permitido la comunicación.</source>
        <translation>Kommunikationen tilläts inte.</translation>
    </message>
    <message id="IDS_119">
        <source>La dirección destino es desconocida.</source>
        <translation>Måladressen är okänd.</translation>
    </message>
    <message id="IDS_120">
        <source>La ruta a la dirección destino es desconocida.</source>
        <translation>Vägen till måladressen är okänd.</translation>
    </message>
    <message id="IDS_121">
        <source>No ha podido resolverse la dirección destino.</source>
        <translation>Måladressen kunde inte slås upp.</translation>
    </message>
    <message id="IDS_122">
        <source>Error inespecífico.</source>
        <translation>Ospecificerat fel.</translation>
    </message>
    <message id="IDS_123">
        <source>Error al cargar los datos.</source>
        <translation>Fel vid inläsning av data.</translation>
    </message>
    <message id="IDS_124">
        <source>Se ha producido un error de red.</source>
        <translation>Ett nätverksfel har inträffat.</translation>
    </message>
    <message id="IDS_125">
        <source>No hay datos.</source>
        <translation>Inga data.</translation>
    </message>
    <message id="IDS_126">
        <source>Se ha producido un error de memoria.</source>
        <translation>Ett minnesfel har inträffat.</translation>
    </message>
    <message id="IDS_127">
        <source>Longitud de registro de datos incorrecta.</source>
        <translation>Felaktig längd på dataposten.</translation>
    </message>
    <message id="IDS_128">
        <source>El objeto de datos solicitado es desconocido.</source>
        <translation>Det begärda dataobjektet är okänt.</translation>
    </message>
    <message id="IDS_129">
        <source>Error al restaurar los datos.</source>
        <translation>Fel vid återställning av data.</translation>
    </message>
    <message id="IDS_130">
        <source>Ya se ha terminado la comunicación con el NEXO.</source>
        <translation>Kommunikationen med NEXO har redan avslutats.</translation>
    </message>
    <message id="IDS_131">
        <source>El NEXO no ha cerrado correctamente la comunicación.</source>
        <translation>NEXO stängde inte kommunikationen korrekt.</translation>
    </message>
    <message id="IDS_132">
        <source>No ha podido terminarse por completo la comunicación con el NEXO.</source>
        <translation>Kommunikationen med NEXO kunde inte avslutas helt.</translation>
    </message>
    <message id="IDS_133">
        <source>La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f.</source>
        <translation>Version %f av säkerhetskopian är inte kompatibel med NEXO version %f.</translation>
    </message>
    <message id="IDS_134">
        <source>No han podido leerse correctamente los datos.</source>
        <translation>Data kunde inte läsas korrekt.</translation>
    </message>
    <message id="IDS_135">
        <source>Se ha terminado la carga de los datos.</source>
        <translation>Inläsningen av data är klar.</translation>
    </message>
    <message id="IDS_136">
        <source>Se ha terminado la restauración de los datos.</source>
        <translation>Återställningen av data är klar.</translation>
    </message>
    <message id="IDS_137">
        <source>Se ha cerrado la comunicación con el NEXO.</source>
        <translation>Kommunikationen med NEXO har stängts.</translation>
    </message>
    <message id="IDS_138">
        <source>Carga los datos %s ...</source>
        <translation>Läser in data %s ...</translation>
    </message>
    <message id="IDS_139">
        <source>Se han guardado los datos %s.</source>
        <translation>Data %s har sparats.</translation>
    </message>
    <message id="IDS_140">
        <source>Se ha terminado la carga de los datos %s.</source>
        <translation>Inläsningen av data %s är klar.</translation>
    </message>
    <message id="IDS_141">
        <source>Graba los datos %s ...</source>
        <translation>Skriver data %s ...</translation>
    </message>
    <message id="IDS_142">
        <source>Se han grabado los datos %s.</source>
        <translation>Data %s har skrivits.</translation>
    </message>
    <message id="IDS_143">
        <source>ERROR -- %s (%s -&gt; %s[%d])</source>
        <translation>FEL -- %s (%s -&gt; %s[%d])</translation>
    </message>
    <message id="IDS_144">
        <source>No ha podido determinarse la versión del NEXO.</source>
        <translation>NEXO-versionen kunde inte fastställas.</translation>
    </message>
    <message id="IDS_145">
        <source>Encontrado NEXO versión %f.</source>
        <translation>Hittade NEXO version %f.</translation>
    </message>
    <message id="IDS_146">
        <source>El archivo de copia de seguridad no contiene datos sobre esta parte de la configuración.</source>
        <translation>Säkerhetskopian innehåller inga data om den här delen av konfigurationen.</translation>
    </message>
    <message id="IDS_147">
        <source>El archivo de copia de seguridad está dañado.</source>
        <translation>Säkerhetskopian är skadad.</translation>
    </message>
    <message id="IDS_148">
        <source>Error de NEXO</source>
        <translation>NEXO-fel</translation>
    </message>
    <message id="IDS_149">
        <source>Error de archivo</source>
        <translation>Filfel</translation>
    </message>
    <message id="IDS_150">
        <source>No han podido transferirse correctamente los datos al NEXO.</source>
        <translation>Data kunde inte överföras korrekt till NEXO.</translation>
    </message>
    <message id="IDS_151">
        <source>No han podido leerse correctamente los datos del NEXO.</source>
        <translation>Data från NEXO kunde inte läsas korrekt.</translation>
    </message>
    <message id="IDS_152">
        <source>Se ha encontrado una copia de seguridad con la versión %f. Se soportan sólo copias de seguridad a partir de la versión 107.</source>
        <translation>En säkerhetskopia med version %f hittades. Endast säkerhetskopior från version 107 och senare stöds.</translation>
    </message>
    <message id="IDS_153">
        <source>Las contraseñas no coinciden.</source>
        <translation>Lösenorden stämmer inte överens.</translation>
    </message>
    <message id="IDS_154">
        <source>Contraseña incorrecta. Se terminará la comunicación.</source>
        <translation>Felaktigt lösenord. Kommunikationen avslutas.</translation>
    </message>
    <message id="IDS_155">
        <source>Restaurar datos de SKD del PC de nuevo al SKD.</source>
        <translation>Återställ SKD-data från datorn tillbaka till SKD.</translation>
    </message>
    <message id="IDS_156">
        <source>Cargar datos del SKD en el PC.</source>
        <translation>Läs in SKD-data till datorn.</translation>
    </message>
    <message id="IDS_157">
        <source>SKD</source>
        <translation>SKD</translation>
    </message>
    <message id="IDS_158">
        <source>Crear copia de seguridad</source>
        <translation>Skapa säkerhetskopia</translation>
    </message>
    <message id="IDS_159">
        <source>Aviso: ¡El SKD %d existe sólo en el archivo de copia de seguridad!</source>
        <translation>Varning: SKD %d finns bara i säkerhetskopian!</translation>
    </message>
    <message id="IDS_160">
        <source>Aviso: ¡El SKD %d existe sólo en el bus!</source>
        <translation>Varning: SKD %d finns bara på bussen!</translation>
    </message>
    <message id="IDS_161">
        <source>Error: SKD %a no se ha restablecido correctamente</source>
        <translation>Fel: SKD %a har inte återställts korrekt</translation>
    </message>
    <message id="IDS_162">
        <source>Error: ¡El SKD %a no responde!</source>
        <translation>Fel: SKD %a svarar inte!</translation>
    </message>
    <message id="IDS_163">
        <source>Espera al NEXO (aprox. 70 segundos)</source>
        <translation>Väntar på NEXO (ca 70 sekunder)</translation>
    </message>
    <message id="IDS_164">
        <source>Creando copia de seguridad de SKD %a.</source>
        <translation>Skapar säkerhetskopia av SKD %a.</translation>
    </message>
    <message id="IDS_165">
        <source>Terminada copia de seguridad de SKD %a</source>
        <translation>Säkerhetskopiering av SKD %a klar</translation>
    </message>
    <message id="IDS_166">
        <source>Iniciada restauración del SKD %a.</source>
        <translation>Återställning av SKD %a har startat.</translation>
    </message>
    <message id="IDS_167">
        <source>Terminada restauración del SKD %a.</source>
        <translation>Återställning av SKD %a klar.</translation>
    </message>
    <message id="IDS_168">
        <source>[todos]</source>
        <translation>[alla]</translation>
    </message>
</context>
</TS>
