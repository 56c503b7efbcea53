<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="da_DK" sourcelanguage="es_ES">
<context>
    <name></name>
    <message id="IDD_102_TITLE">
        <source>Copias de seguridad del NEXO</source>
        <translation>NEXO-sikkerhedskopier</translation>
    </message>
    <message id="IDD_102_CLOSE">
        <source>Cerrar</source>
        <translation>Luk</translation>
    </message>
    <message id="IDD_102_ADDRESS_LABEL">
        <source>Dirección IP</source>
        <translation>IP-adresse</translation>
    </message>
    <message id="IDD_102_PORT_LABEL">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="IDD_102_BACKUP">
        <source>&amp;Copia de seguridad [PC&lt;-NEXO] ...</source>
        <translation>&amp;Sikkerhedskopiér [PC&lt;-NEXO] ...</translation>
    </message>
    <message id="IDD_102_RESTORE">
        <source>&amp;Restaurar [PC-&gt;NEXO] ...</source>
        <translation>&amp;Gendan [PC-&gt;NEXO] ...</translation>
    </message>
    <message id="IDD_133_TITLE">
        <source>NEXO Contraseña</source>
        <translation>NEXO-adgangskode</translation>
    </message>
    <message id="IDD_133_OK">
        <source>Aceptar</source>
        <translation>OK</translation>
    </message>
    <message id="IDD_133_CANCEL">
        <source>Cancelar</source>
        <translation>Annuller</translation>
    </message>
    <message id="IDD_133_LABEL">
        <source>Contraseña:</source>
        <translation>Adgangskode:</translation>
    </message>
    <message id="IDD_134_TITLE">
        <source>Crear copia de seguridad del SKD</source>
        <translation>Sikkerhedskopiér SKD</translation>
    </message>
    <message id="IDD_134_IDENTICAL">
        <source>Los datos son idénticos en todos los SKDs</source>
        <translation>Dataene er identiske på alle SKD'er</translation>
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
        <translation>Annuller</translation>
    </message>
    <message id="APP_PASSWORD_CHARSET">
        <source>La contraseña contiene caracteres que el NEXO no admite.</source>
        <translation>Adgangskoden indeholder tegn, som NEXO ikke understøtter.</translation>
    </message>
    <message id="APP_PROGRESS_WAIT_GATEWAY">
        <source>Esperando al NEXO</source>
        <translation>Venter på NEXO</translation>
    </message>
    <message id="APP_PROGRESS_CONNECT">
        <source>Conectando al puerto del bus, intento %1 de %2</source>
        <translation>Forbinder til busporten, forsøg %1 af %2</translation>
    </message>
    <message id="APP_PROGRESS_SETTLE">
        <source>Esperando a que el bus esté listo</source>
        <translation>Venter på, at bussen er klar</translation>
    </message>
    <message id="APP_PROGRESS_SCAN">
        <source>Buscando SKDs en el bus</source>
        <translation>Søger efter SKD'er på bussen</translation>
    </message>
    <message id="APP_PROGRESS_BACKUP">
        <source>Copia de seguridad del SKD %1</source>
        <translation>Sikkerhedskopiering af SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_RESTORE">
        <source>Restauración del SKD %1</source>
        <translation>Gendannelse af SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CLEAN">
        <source>Borrando el SKD %1</source>
        <translation>Sletter SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CHECK">
        <source>Comprobando el CRC del SKD %1</source>
        <translation>Kontrollerer CRC for SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_BYTES">
        <source>%1 de %2 bytes</source>
        <translation>%1 af %2 byte</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS">
        <source>%1 de %2 s</source>
        <translation>%1 af %2 s</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS_MAX">
        <source>%1 s (máx. %2 s)</source>
        <translation>%1 s (højst %2 s)</translation>
    </message>
    <message id="APP_PROGRESS_STEPS">
        <source>dirección %1 de %2</source>
        <translation>adresse %1 af %2</translation>
    </message>
    <message id="APP_PROGRESS_LEFT">
        <source>quedan %1</source>
        <translation>%1 tilbage</translation>
    </message>
    <message id="APP_PROGRESS_LEFT_JOB">
        <source>quedan %1 (en total %2)</source>
        <translation>%1 tilbage (i alt %2)</translation>
    </message>
    <message id="APP_PROGRESS_DONE">
        <source>Trabajo terminado</source>
        <translation>Jobbet er udført</translation>
    </message>
    <message id="JOB_SKD_CFG_NOT_RESTORED">
        <source>Error: el SKD %a no ha recibido su registro de configuración</source>
        <translation>Fejl: SKD %a har ikke modtaget sin konfigurationspost</translation>
    </message>
    <message id="JOB_SKD_IMAGE_CUT_SHORT">
        <source>Error: la imagen del SKD %a en el archivo de copia de seguridad está incompleta (%d de %d bytes): no se restaura nada</source>
        <translation>Fejl: billedet af SKD %a i sikkerhedskopien er ufuldstændigt (%d af %d byte): intet gendannes</translation>
    </message>
    <message id="IDS_103">
        <source>Error al inicializar los sockets de Windows.</source>
        <translation>Fejl ved initialisering af Windows-sockets.</translation>
    </message>
    <message id="IDS_104">
        <source>Versión de herramienta de Copias de seguridad NEXO</source>
        <translation>Version af NEXO-sikkerhedskopieringsværktøjet</translation>
    </message>
    <message id="IDS_105">
        <source>Restaurar datos de configuración transfiriéndolos del PC al NEXO.</source>
        <translation>Gendan konfigurationsdata ved at overføre dem fra pc'en til NEXO.</translation>
    </message>
    <message id="IDS_106">
        <source>Cargar datos de configuración del NEXO al PC.</source>
        <translation>Indlæs konfigurationsdata fra NEXO til pc'en.</translation>
    </message>
    <message id="IDS_107">
        <source>Salir de herramienta de Copias de seguridad del NEXO.</source>
        <translation>Afslut NEXO-sikkerhedskopieringsværktøjet.</translation>
    </message>
    <message id="IDS_108">
        <source>La dirección IP del NEXO</source>
        <translation>NEXO's IP-adresse</translation>
    </message>
    <message id="IDS_109">
        <source>El número de puerto a través del cual se ha de realizar la comunicación.</source>
        <translation>Portnummeret, som kommunikationen skal foregå via.</translation>
    </message>
    <message id="IDS_110">
        <source>Lista de estados indicados.</source>
        <translation>Liste over statusmeddelelser.</translation>
    </message>
    <message id="IDS_111">
        <source>Guarda datos en archivo %s</source>
        <translation>Gemmer data i filen %s</translation>
    </message>
    <message id="IDS_112">
        <source>Darga datos desde archivo %s</source>
        <translation>Indlæser data fra filen %s</translation>
    </message>
    <message id="IDS_113">
        <source>No puede accederse a la red.</source>
        <translation>Netværket kan ikke nås.</translation>
    </message>
    <message id="IDS_114">
        <source>Se ha cancelado la comunicación.</source>
        <translation>Kommunikationen er blevet afbrudt.</translation>
    </message>
    <message id="IDS_115">
        <source>El comunicante homólogo ha cancelado la comunicación.</source>
        <translation>Modparten har afbrudt kommunikationen.</translation>
    </message>
    <message id="IDS_116">
        <source>Ha fallado la comunicación con el host destino.</source>
        <translation>Kommunikationen med destinationsværten mislykkedes.</translation>
    </message>
    <message id="IDS_117">
        <source>Ya no puede mantenerse la comunicación durante más tiempo.</source>
        <translation>Kommunikationen kan ikke opretholdes længere.</translation>
    </message>
    <message id="IDS_118">
        <source>No se ha permitido la comunicación.</source>
        <translation>Kommunikationen blev ikke tilladt.</translation>
    </message>
    <message id="IDS_119">
        <source>La dirección destino es desconocida.</source>
        <translation>Destinationsadressen er ukendt.</translation>
    </message>
    <message id="IDS_120">
        <source>La ruta a la dirección destino es desconocida.</source>
        <translation>Ruten til destinationsadressen er ukendt.</translation>
    </message>
    <message id="IDS_121">
        <source>No ha podido resolverse la dirección destino.</source>
        <translation>Destinationsadressen kunne ikke slås op.</translation>
    </message>
    <message id="IDS_122">
        <source>Error inespecífico.</source>
        <translation>Uspecificeret fejl.</translation>
    </message>
    <message id="IDS_123">
        <source>Error al cargar los datos.</source>
        <translation>Fejl ved indlæsning af data.</translation>
    </message>
    <message id="IDS_124">
        <source>Se ha producido un error de red.</source>
        <translation>Der er opstået en netværksfejl.</translation>
    </message>
    <message id="IDS_125">
        <source>No hay datos.</source>
        <translation>Ingen data.</translation>
    </message>
    <message id="IDS_126">
        <source>Se ha producido un error de memoria.</source>
        <translation>Der er opstået en hukommelsesfejl.</translation>
    </message>
    <message id="IDS_127">
        <source>Longitud de registro de datos incorrecta.</source>
        <translation>Forkert længde på dataposten.</translation>
    </message>
    <message id="IDS_128">
        <source>El objeto de datos solicitado es desconocido.</source>
        <translation>Det anmodede dataobjekt er ukendt.</translation>
    </message>
    <message id="IDS_129">
        <source>Error al restaurar los datos.</source>
        <translation>Fejl ved gendannelse af data.</translation>
    </message>
    <message id="IDS_130">
        <source>Ya se ha terminado la comunicación con el NEXO.</source>
        <translation>Kommunikationen med NEXO er allerede afsluttet.</translation>
    </message>
    <message id="IDS_131">
        <source>El NEXO no ha cerrado correctamente la comunicación.</source>
        <translation>NEXO lukkede ikke kommunikationen korrekt.</translation>
    </message>
    <message id="IDS_132">
        <source>No ha podido terminarse por completo la comunicación con el NEXO.</source>
        <translation>Kommunikationen med NEXO kunne ikke afsluttes helt.</translation>
    </message>
    <message id="IDS_133">
        <source>La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f.</source>
        <translation>Version %f af sikkerhedskopifilen er ikke kompatibel med NEXO version %f.</translation>
    </message>
    <message id="IDS_134">
        <source>No han podido leerse correctamente los datos.</source>
        <translation>Dataene kunne ikke læses korrekt.</translation>
    </message>
    <message id="IDS_135">
        <source>Se ha terminado la carga de los datos.</source>
        <translation>Indlæsningen af data er afsluttet.</translation>
    </message>
    <message id="IDS_136">
        <source>Se ha terminado la restauración de los datos.</source>
        <translation>Gendannelsen af data er afsluttet.</translation>
    </message>
    <message id="IDS_137">
        <source>Se ha cerrado la comunicación con el NEXO.</source>
        <translation>Kommunikationen med NEXO er lukket.</translation>
    </message>
    <message id="IDS_138">
        <source>Carga los datos %s ...</source>
        <translation>Indlæser data %s ...</translation>
    </message>
    <message id="IDS_139">
        <source>Se han guardado los datos %s.</source>
        <translation>Data %s er gemt.</translation>
    </message>
    <message id="IDS_140">
        <source>Se ha terminado la carga de los datos %s.</source>
        <translation>Indlæsningen af data %s er afsluttet.</translation>
    </message>
    <message id="IDS_141">
        <source>Graba los datos %s ...</source>
        <translation>Skriver data %s ...</translation>
    </message>
    <message id="IDS_142">
        <source>Se han grabado los datos %s.</source>
        <translation>Data %s er skrevet.</translation>
    </message>
    <message id="IDS_143">
        <source>ERROR -- %s (%s -&gt; %s[%d])</source>
        <translation>FEJL -- %s (%s -&gt; %s[%d])</translation>
    </message>
    <message id="IDS_144">
        <source>No ha podido determinarse la versión del NEXO.</source>
        <translation>NEXO's version kunne ikke bestemmes.</translation>
    </message>
    <message id="IDS_145">
        <source>Encontrado NEXO versión %f.</source>
        <translation>Fandt NEXO version %f.</translation>
    </message>
    <message id="IDS_146">
        <source>El archivo de copia de seguridad no contiene datos sobre esta parte de la configuración.</source>
        <translation>Sikkerhedskopifilen indeholder ingen data om denne del af konfigurationen.</translation>
    </message>
    <message id="IDS_147">
        <source>El archivo de copia de seguridad está dañado.</source>
        <translation>Sikkerhedskopifilen er beskadiget.</translation>
    </message>
    <message id="IDS_148">
        <source>Error de NEXO</source>
        <translation>NEXO-fejl</translation>
    </message>
    <message id="IDS_149">
        <source>Error de archivo</source>
        <translation>Filfejl</translation>
    </message>
    <message id="IDS_150">
        <source>No han podido transferirse correctamente los datos al NEXO.</source>
        <translation>Dataene kunne ikke overføres korrekt til NEXO.</translation>
    </message>
    <message id="IDS_151">
        <source>No han podido leerse correctamente los datos del NEXO.</source>
        <translation>Dataene kunne ikke læses korrekt fra NEXO.</translation>
    </message>
    <message id="IDS_152">
        <source>Se ha encontrado una copia de seguridad con la versión %f. Se soportan sólo copias de seguridad a partir de la versión 107.</source>
        <translation>Der blev fundet en sikkerhedskopi med version %f. Kun sikkerhedskopier fra version 107 og nyere understøttes.</translation>
    </message>
    <message id="IDS_153">
        <source>Las contraseñas no coinciden.</source>
        <translation>Adgangskoderne stemmer ikke overens.</translation>
    </message>
    <message id="IDS_154">
        <source>Contraseña incorrecta. Se terminará la comunicación.</source>
        <translation>Forkert adgangskode. Kommunikationen afsluttes.</translation>
    </message>
    <message id="IDS_155">
        <source>Restaurar datos de SKD del PC de nuevo al SKD.</source>
        <translation>Gendan SKD-data fra pc'en tilbage til SKD'en.</translation>
    </message>
    <message id="IDS_156">
        <source>Cargar datos del SKD en el PC.</source>
        <translation>Indlæs SKD-data på pc'en.</translation>
    </message>
    <message id="IDS_157">
        <source>SKD</source>
        <translation>SKD</translation>
    </message>
    <message id="IDS_158">
        <source>Crear copia de seguridad</source>
        <translation>Opret sikkerhedskopi</translation>
    </message>
    <message id="IDS_159">
        <source>Aviso: ¡El SKD %d existe sólo en el archivo de copia de seguridad!</source>
        <translation>Advarsel: SKD %d findes kun i sikkerhedskopifilen!</translation>
    </message>
    <message id="IDS_160">
        <source>Aviso: ¡El SKD %d existe sólo en el bus!</source>
        <translation>Advarsel: SKD %d findes kun på bussen!</translation>
    </message>
    <message id="IDS_161">
        <source>Error: SKD %a no se ha restablecido correctamente</source>
        <translation>Fejl: SKD %a blev ikke gendannet korrekt</translation>
    </message>
    <message id="IDS_162">
        <source>Error: ¡El SKD %a no responde!</source>
        <translation>Fejl: SKD %a svarer ikke!</translation>
    </message>
    <message id="IDS_163">
        <source>Espera al NEXO (aprox. 70 segundos)</source>
        <translation>Venter på NEXO (ca. 70 sekunder)</translation>
    </message>
    <message id="IDS_164">
        <source>Creando copia de seguridad de SKD %a.</source>
        <translation>Opretter sikkerhedskopi af SKD %a.</translation>
    </message>
    <message id="IDS_165">
        <source>Terminada copia de seguridad de SKD %a</source>
        <translation>Sikkerhedskopiering af SKD %a afsluttet</translation>
    </message>
    <message id="IDS_166">
        <source>Iniciada restauración del SKD %a.</source>
        <translation>Gendannelse af SKD %a startet.</translation>
    </message>
    <message id="IDS_167">
        <source>Terminada restauración del SKD %a.</source>
        <translation>Gendannelse af SKD %a afsluttet.</translation>
    </message>
    <message id="IDS_168">
        <source>[todos]</source>
        <translation>[alle]</translation>
    </message>
</context>
</TS>
