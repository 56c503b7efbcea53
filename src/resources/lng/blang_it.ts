<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT" sourcelanguage="es_ES">
<context>
    <name></name>
    <message id="IDD_102_TITLE">
        <source>Copias de seguridad del NEXO</source>
        <translation>Backup del NEXO</translation>
    </message>
    <message id="IDD_102_CLOSE">
        <source>Cerrar</source>
        <translation>Chiudi</translation>
    </message>
    <message id="IDD_102_ADDRESS_LABEL">
        <source>Dirección IP</source>
        <translation>Indirizzo IP</translation>
    </message>
    <message id="IDD_102_PORT_LABEL">
        <source>Port</source>
        <translation>Porta</translation>
    </message>
    <message id="IDD_102_BACKUP">
        <source>&amp;Copia de seguridad [PC&lt;-NEXO] ...</source>
        <translation>&amp;Backup [PC&lt;-NEXO] ...</translation>
    </message>
    <message id="IDD_102_RESTORE">
        <source>&amp;Restaurar [PC-&gt;NEXO] ...</source>
        <translation>&amp;Ripristina [PC-&gt;NEXO] ...</translation>
    </message>
    <message id="IDD_133_TITLE">
        <source>NEXO Contraseña</source>
        <translation>Password NEXO</translation>
    </message>
    <message id="IDD_133_OK">
        <source>Aceptar</source>
        <translation>OK</translation>
    </message>
    <message id="IDD_133_CANCEL">
        <source>Cancelar</source>
        <translation>Annulla</translation>
    </message>
    <message id="IDD_133_LABEL">
        <source>Contraseña:</source>
        <translation>Password:</translation>
    </message>
    <message id="IDD_134_TITLE">
        <source>Crear copia de seguridad del SKD</source>
        <translation>Crea backup dell'SKD</translation>
    </message>
    <message id="IDD_134_IDENTICAL">
        <source>Los datos son idénticos en todos los SKDs</source>
        <translation>I dati sono identici in tutti gli SKD</translation>
    </message>
    <message id="IDD_134_MASTER_LABEL">
        <source>SKD maestro:</source>
        <translation>SKD master:</translation>
    </message>
    <message id="IDD_134_OK">
        <source>Aceptar</source>
        <translation>OK</translation>
    </message>
    <message id="IDD_134_CANCEL">
        <source>Cancelar</source>
        <translation>Annulla</translation>
    </message>
    <message id="APP_PASSWORD_CHARSET">
        <source>La contraseña contiene caracteres que el NEXO no admite.</source>
        <translation>La password contiene caratteri non supportati dal NEXO.</translation>
    </message>
    <message id="APP_PROGRESS_WAIT_GATEWAY">
        <source>Esperando al NEXO</source>
        <translation>Attesa del NEXO</translation>
    </message>
    <message id="APP_PROGRESS_CONNECT">
        <source>Conectando al puerto del bus, intento %1 de %2</source>
        <translation>Connessione alla porta del bus, tentativo %1 di %2</translation>
    </message>
    <message id="APP_PROGRESS_SETTLE">
        <source>Esperando a que el bus esté listo</source>
        <translation>Attesa che il bus sia pronto</translation>
    </message>
    <message id="APP_PROGRESS_SCAN">
        <source>Buscando SKDs en el bus</source>
        <translation>Ricerca degli SKD sul bus</translation>
    </message>
    <message id="APP_PROGRESS_BACKUP">
        <source>Copia de seguridad del SKD %1</source>
        <translation>Backup dell'SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_RESTORE">
        <source>Restauración del SKD %1</source>
        <translation>Ripristino dell'SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CLEAN">
        <source>Borrando el SKD %1</source>
        <translation>Cancellazione dell'SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_CHECK">
        <source>Comprobando el CRC del SKD %1</source>
        <translation>Verifica del CRC dell'SKD %1</translation>
    </message>
    <message id="APP_PROGRESS_BYTES">
        <source>%1 de %2 bytes</source>
        <translation>%1 di %2 byte</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS">
        <source>%1 de %2 s</source>
        <translation>%1 di %2 s</translation>
    </message>
    <message id="APP_PROGRESS_SECONDS_MAX">
        <source>%1 s (máx. %2 s)</source>
        <translation>%1 s (al massimo %2 s)</translation>
    </message>
    <message id="APP_PROGRESS_STEPS">
        <source>dirección %1 de %2</source>
        <translation>indirizzo %1 di %2</translation>
    </message>
    <message id="APP_PROGRESS_LEFT">
        <source>quedan %1</source>
        <translation>mancano %1</translation>
    </message>
    <message id="APP_PROGRESS_LEFT_JOB">
        <source>quedan %1 (en total %2)</source>
        <translation>mancano %1 (in tutto %2)</translation>
    </message>
    <message id="APP_PROGRESS_DONE">
        <source>Trabajo terminado</source>
        <translation>Operazione completata</translation>
    </message>
    <message id="JOB_SKD_CFG_NOT_RESTORED">
        <source>Error: el SKD %a no ha recibido su registro de configuración</source>
        <translation>Errore: l'SKD %a non ha ricevuto il suo record di configurazione</translation>
    </message>
    <message id="JOB_SKD_IMAGE_CUT_SHORT">
        <source>Error: la imagen del SKD %a en el archivo de copia de seguridad está incompleta (%d de %d bytes): no se restaura nada</source>
        <translation>Errore: l'immagine dell'SKD %a nel file di backup è incompleta (%d di %d byte): non viene ripristinato nulla</translation>
    </message>
    <message id="IDS_103">
        <source>Error al inicializar los sockets de Windows.</source>
        <translation>Errore durante l'inizializzazione dei socket di Windows.</translation>
    </message>
    <message id="IDS_104">
        <source>Versión de herramienta de Copias de seguridad NEXO</source>
        <translation>Versione dello strumento di backup NEXO</translation>
    </message>
    <message id="IDS_105">
        <source>Restaurar datos de configuración transfiriéndolos del PC al NEXO.</source>
        <translation>Ripristina i dati di configurazione trasferendoli dal PC al NEXO.</translation>
    </message>
    <message id="IDS_106">
        <source>Cargar datos de configuración del NEXO al PC.</source>
        <translation>Carica i dati di configurazione dal NEXO al PC.</translation>
    </message>
    <message id="IDS_107">
        <source>Salir de herramienta de Copias de seguridad del NEXO.</source>
        <translation>Esci dallo strumento di backup del NEXO.</translation>
    </message>
    <message id="IDS_108">
        <source>La dirección IP del NEXO</source>
        <translation>L'indirizzo IP del NEXO</translation>
    </message>
    <message id="IDS_109">
        <source>El número de puerto a través del cual se ha de realizar la comunicación.</source>
        <translation>Il numero di porta attraverso cui avviene la comunicazione.</translation>
    </message>
    <message id="IDS_110">
        <source>Lista de estados indicados.</source>
        <translation>Elenco dei messaggi di stato.</translation>
    </message>
    <message id="IDS_111">
        <source>Guarda datos en archivo %s</source>
        <translation>Salvataggio dei dati nel file %s</translation>
    </message>
    <message id="IDS_112">
        <source>Darga datos desde archivo %s</source>
        <translation>Caricamento dei dati dal file %s</translation>
    </message>
    <message id="IDS_113">
        <source>No puede accederse a la red.</source>
        <translation>Impossibile accedere alla rete.</translation>
    </message>
    <message id="IDS_114">
        <source>Se ha cancelado la comunicación.</source>
        <translation>La comunicazione è stata interrotta.</translation>
    </message>
    <message id="IDS_115">
        <source>El comunicante homólogo ha cancelado la comunicación.</source>
        <translation>La comunicazione è stata interrotta dall'host remoto.</translation>
    </message>
    <message id="IDS_116">
        <source>Ha fallado la comunicación con el host destino.</source>
        <translation>La comunicazione con l'host di destinazione non è riuscita.</translation>
    </message>
    <message id="IDS_117">
        <source>Ya no puede mantenerse la comunicación durante más tiempo.</source>
        <translation>Impossibile mantenere ulteriormente la comunicazione.</translation>
    </message>
    <message id="IDS_118">
        <source>No se ha permitido la comunicación.</source>
        <translation>La comunicazione non è stata consentita.</translation>
    </message>
    <message id="IDS_119">
        <source>La dirección destino es desconocida.</source>
        <translation>L'indirizzo di destinazione è sconosciuto.</translation>
    </message>
    <message id="IDS_120">
        <source>La ruta a la dirección destino es desconocida.</source>
        <translation>Il percorso verso l'indirizzo di destinazione è sconosciuto.</translation>
    </message>
    <message id="IDS_121">
        <source>No ha podido resolverse la dirección destino.</source>
        <translation>Impossibile risolvere l'indirizzo di destinazione.</translation>
    </message>
    <message id="IDS_122">
        <source>Error inespecífico.</source>
        <translation>Errore non specificato.</translation>
    </message>
    <message id="IDS_123">
        <source>Error al cargar los datos.</source>
        <translation>Errore durante il caricamento dei dati.</translation>
    </message>
    <message id="IDS_124">
        <source>Se ha producido un error de red.</source>
        <translation>Si è verificato un errore di rete.</translation>
    </message>
    <message id="IDS_125">
        <source>No hay datos.</source>
        <translation>Nessun dato.</translation>
    </message>
    <message id="IDS_126">
        <source>Se ha producido un error de memoria.</source>
        <translation>Si è verificato un errore di memoria.</translation>
    </message>
    <message id="IDS_127">
        <source>Longitud de registro de datos incorrecta.</source>
        <translation>Lunghezza del record di dati errata.</translation>
    </message>
    <message id="IDS_128">
        <source>El objeto de datos solicitado es desconocido.</source>
        <translation>L'oggetto dati richiesto è sconosciuto.</translation>
    </message>
    <message id="IDS_129">
        <source>Error al restaurar los datos.</source>
        <translation>Errore durante il ripristino dei dati.</translation>
    </message>
    <message id="IDS_130">
        <source>Ya se ha terminado la comunicación con el NEXO.</source>
        <translation>La comunicazione con il NEXO è già terminata.</translation>
    </message>
    <message id="IDS_131">
        <source>El NEXO no ha cerrado correctamente la comunicación.</source>
        <translation>Il NEXO non ha chiuso correttamente la comunicazione.</translation>
    </message>
    <message id="IDS_132">
        <source>No ha podido terminarse por completo la comunicación con el NEXO.</source>
        <translation>Impossibile terminare completamente la comunicazione con il NEXO.</translation>
    </message>
    <message id="IDS_133">
        <source>La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f.</source>
        <translation>La versione %f del file di backup non è compatibile con il NEXO versione %f.</translation>
    </message>
    <message id="IDS_134">
        <source>No han podido leerse correctamente los datos.</source>
        <translation>Impossibile leggere correttamente i dati.</translation>
    </message>
    <message id="IDS_135">
        <source>Se ha terminado la carga de los datos.</source>
        <translation>Caricamento dei dati terminato.</translation>
    </message>
    <message id="IDS_136">
        <source>Se ha terminado la restauración de los datos.</source>
        <translation>Ripristino dei dati terminato.</translation>
    </message>
    <message id="IDS_137">
        <source>Se ha cerrado la comunicación con el NEXO.</source>
        <translation>La comunicazione con il NEXO è stata chiusa.</translation>
    </message>
    <message id="IDS_138">
        <source>Carga los datos %s ...</source>
        <translation>Caricamento dei dati %s ...</translation>
    </message>
    <message id="IDS_139">
        <source>Se han guardado los datos %s.</source>
        <translation>I dati %s sono stati salvati.</translation>
    </message>
    <message id="IDS_140">
        <source>Se ha terminado la carga de los datos %s.</source>
        <translation>Caricamento dei dati %s terminato.</translation>
    </message>
    <message id="IDS_141">
        <source>Graba los datos %s ...</source>
        <translation>Scrittura dei dati %s ...</translation>
    </message>
    <message id="IDS_142">
        <source>Se han grabado los datos %s.</source>
        <translation>I dati %s sono stati scritti.</translation>
    </message>
    <message id="IDS_143">
        <source>ERROR -- %s (%s -&gt; %s[%d])</source>
        <translation>ERRORE -- %s (%s -&gt; %s[%d])</translation>
    </message>
    <message id="IDS_144">
        <source>No ha podido determinarse la versión del NEXO.</source>
        <translation>Impossibile determinare la versione del NEXO.</translation>
    </message>
    <message id="IDS_145">
        <source>Encontrado NEXO versión %f.</source>
        <translation>Trovato NEXO versione %f.</translation>
    </message>
    <message id="IDS_146">
        <source>El archivo de copia de seguridad no contiene datos sobre esta parte de la configuración.</source>
        <translation>Il file di backup non contiene dati su questa parte della configurazione.</translation>
    </message>
    <message id="IDS_147">
        <source>El archivo de copia de seguridad está dañado.</source>
        <translation>Il file di backup è danneggiato.</translation>
    </message>
    <message id="IDS_148">
        <source>Error de NEXO</source>
        <translation>Errore del NEXO</translation>
    </message>
    <message id="IDS_149">
        <source>Error de archivo</source>
        <translation>Errore del file</translation>
    </message>
    <message id="IDS_150">
        <source>No han podido transferirse correctamente los datos al NEXO.</source>
        <translation>Impossibile trasferire correttamente i dati al NEXO.</translation>
    </message>
    <message id="IDS_151">
        <source>No han podido leerse correctamente los datos del NEXO.</source>
        <translation>Impossibile leggere correttamente i dati dal NEXO.</translation>
    </message>
    <message id="IDS_152">
        <source>Se ha encontrado una copia de seguridad con la versión %f. Se soportan sólo copias de seguridad a partir de la versión 107.</source>
        <translation>È stato trovato un backup con la versione %f. Sono supportati solo i backup a partire dalla versione 107.</translation>
    </message>
    <message id="IDS_153">
        <source>Las contraseñas no coinciden.</source>
        <translation>Le password non corrispondono.</translation>
    </message>
    <message id="IDS_154">
        <source>Contraseña incorrecta. Se terminará la comunicación.</source>
        <translation>Password errata. La comunicazione verrà terminata.</translation>
    </message>
    <message id="IDS_155">
        <source>Restaurar datos de SKD del PC de nuevo al SKD.</source>
        <translation>Ripristina i dati dell'SKD dal PC all'SKD.</translation>
    </message>
    <message id="IDS_156">
        <source>Cargar datos del SKD en el PC.</source>
        <translation>Carica i dati dell'SKD nel PC.</translation>
    </message>
    <message id="IDS_157">
        <source>SKD</source>
        <translation>SKD</translation>
    </message>
    <message id="IDS_158">
        <source>Crear copia de seguridad</source>
        <translation>Crea backup</translation>
    </message>
    <message id="IDS_159">
        <source>Aviso: ¡El SKD %d existe sólo en el archivo de copia de seguridad!</source>
        <translation>Avviso: l'SKD %d esiste solo nel file di backup!</translation>
    </message>
    <message id="IDS_160">
        <source>Aviso: ¡El SKD %d existe sólo en el bus!</source>
        <translation>Avviso: l'SKD %d esiste solo sul bus!</translation>
    </message>
    <message id="IDS_161">
        <source>Error: SKD %a no se ha restablecido correctamente</source>
        <translation>Errore: l'SKD %a non è stato ripristinato correttamente</translation>
    </message>
    <message id="IDS_162">
        <source>Error: ¡El SKD %a no responde!</source>
        <translation>Errore: l'SKD %a non risponde!</translation>
    </message>
    <message id="IDS_163">
        <source>Espera al NEXO (aprox. 70 segundos)</source>
        <translation>Attesa del NEXO (circa 70 secondi)</translation>
    </message>
    <message id="IDS_164">
        <source>Creando copia de seguridad de SKD %a.</source>
        <translation>Creazione del backup dell'SKD %a.</translation>
    </message>
    <message id="IDS_165">
        <source>Terminada copia de seguridad de SKD %a</source>
        <translation>Backup dell'SKD %a terminato</translation>
    </message>
    <message id="IDS_166">
        <source>Iniciada restauración del SKD %a.</source>
        <translation>Avviato il ripristino dell'SKD %a.</translation>
    </message>
    <message id="IDS_167">
        <source>Terminada restauración del SKD %a.</source>
        <translation>Ripristino dell'SKD %a terminato.</translation>
    </message>
    <message id="IDS_168">
        <source>[todos]</source>
        <translation>[tutti]</translation>
    </message>
</context>
</TS>
