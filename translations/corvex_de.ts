<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>ActivityIndicator</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%1 read</source>
        <translation>%1 gelesen</translation>
    </message>
</context>
<context>
    <name>ArchiveChange</name>
    <message>
        <source>Cannot save “%1”</source>
        <translation>„%1“ kann nicht gespeichert werden</translation>
    </message>
    <message>
        <source>“%1” is being changed by another window. Try again when it is done.</source>
        <translation>„%1“ wird gerade in einem anderen Fenster geändert. Versuchen Sie es erneut, wenn das abgeschlossen ist.</translation>
    </message>
    <message>
        <source>“%1” changed while Corvex worked on it; it was left as it is.</source>
        <translation>„%1“ wurde geändert, während Corvex daran arbeitete; es wurde so belassen.</translation>
    </message>
</context>
<context>
    <name>ArchiveEngine</name>
    <message>
        <source>Cannot write the list of members: %1</source>
        <translation>Die Liste der Elemente kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>Corvex can preview one member at a time.</source>
        <translation>Corvex kann nur ein Element auf einmal in der Vorschau zeigen.</translation>
    </message>
    <message>
        <source>Corvex cannot preview “%1”: its path leads outside the archive.</source>
        <translation>Corvex kann „%1“ nicht in der Vorschau zeigen: Sein Pfad führt aus dem Archiv hinaus.</translation>
    </message>
    <message>
        <source>Corvex cannot extract “%1” alone: its name holds a line break.</source>
        <translation>Corvex kann „%1“ nicht allein entpacken: Der Name enthält einen Zeilenumbruch.</translation>
    </message>
    <message>
        <source>None of the chosen items was found in the archive.</source>
        <translation>Keines der gewählten Elemente wurde im Archiv gefunden.</translation>
    </message>
    <message>
        <source>Corvex could not remove its temporary folder in “%1”.</source>
        <translation>Corvex konnte seinen temporären Ordner in „%1“ nicht entfernen.</translation>
    </message>
    <message>
        <source>“%1” is empty: there is nothing to extract.</source>
        <translation>„%1“ ist leer: Es gibt nichts zu entpacken.</translation>
    </message>
    <message>
        <source>Corvex cannot leave out “%1”: its name holds a line break.</source>
        <translation>Corvex kann „%1“ nicht auslassen: Der Name enthält einen Zeilenumbruch.</translation>
    </message>
    <message numerus="yes">
        <source>%n special file(s) (pipes, sockets or devices) were left out: %1</source>
        <translation>
            <numerusform>%n Spezialdatei (Pipe, Socket oder Gerät) wurde ausgelassen: %1</numerusform>
            <numerusform>%n Spezialdateien (Pipes, Sockets oder Geräte) wurden ausgelassen: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Corvex cannot change “%1”: its name holds a line break.</source>
        <translation>Corvex kann „%1“ nicht ändern: Der Name enthält einen Zeilenumbruch.</translation>
    </message>
    <message>
        <source>“%1” is not in the archive.</source>
        <translation>„%1“ ist nicht im Archiv.</translation>
    </message>
    <message>
        <source>The changed archive did not hold what it should, so “%1” was left as it was.</source>
        <translation>Das geänderte Archiv enthielt nicht, was es sollte; „%1“ wurde daher unverändert gelassen.</translation>
    </message>
    <message>
        <source>“%1” holds the archive itself, so it cannot be added to it.</source>
        <translation>„%1“ enthält das Archiv selbst und kann ihm daher nicht hinzugefügt werden.</translation>
    </message>
    <message>
        <source>Corvex can change %1 only when it holds a tar archive.</source>
        <translation>Corvex kann %1 nur ändern, wenn sie ein tar-Archiv enthält.</translation>
    </message>
</context>
<context>
    <name>ArchiveFile</name>
    <message>
        <source>“%1” is a folder, not an archive.</source>
        <translation>„%1“ ist ein Ordner, kein Archiv.</translation>
    </message>
    <message>
        <source>“%1” is a named pipe, not an archive.</source>
        <translation>„%1“ ist eine benannte Pipe, kein Archiv.</translation>
    </message>
    <message>
        <source>“%1” is a character device, not an archive.</source>
        <translation>„%1“ ist ein zeichenorientiertes Gerät, kein Archiv.</translation>
    </message>
    <message>
        <source>“%1” is a block device, not an archive.</source>
        <translation>„%1“ ist ein blockorientiertes Gerät, kein Archiv.</translation>
    </message>
    <message>
        <source>“%1” is a socket, not an archive.</source>
        <translation>„%1“ ist ein Socket, kein Archiv.</translation>
    </message>
    <message>
        <source>“%1” is not a regular file, not an archive.</source>
        <translation>„%1“ ist keine reguläre Datei und kein Archiv.</translation>
    </message>
    <message>
        <source>Cannot open “%1”: %2</source>
        <translation>„%1“ kann nicht geöffnet werden: %2</translation>
    </message>
</context>
<context>
    <name>ArchiveFormats</name>
    <message>
        <source>a ZIP archive</source>
        <translation>ein ZIP-Archiv</translation>
    </message>
    <message>
        <source>a 7z archive</source>
        <translation>ein 7z-Archiv</translation>
    </message>
    <message>
        <source>a tar archive</source>
        <translation>ein tar-Archiv</translation>
    </message>
    <message>
        <source>a WIM image</source>
        <translation>ein WIM-Abbild</translation>
    </message>
    <message>
        <source>a gzip file</source>
        <translation>eine gzip-Datei</translation>
    </message>
    <message>
        <source>a bzip2 file</source>
        <translation>eine bzip2-Datei</translation>
    </message>
    <message>
        <source>an xz file</source>
        <translation>eine xz-Datei</translation>
    </message>
    <message>
        <source>a Zstandard file</source>
        <translation>eine Zstandard-Datei</translation>
    </message>
    <message>
        <source>a compress (.Z) file</source>
        <translation>eine compress-Datei (.Z)</translation>
    </message>
    <message>
        <source>an LZMA file</source>
        <translation>eine LZMA-Datei</translation>
    </message>
    <message>
        <source>an ISO image</source>
        <translation>ein ISO-Abbild</translation>
    </message>
    <message>
        <source>a cabinet</source>
        <translation>ein Cabinet-Archiv</translation>
    </message>
    <message>
        <source>an ar archive</source>
        <translation>ein ar-Archiv</translation>
    </message>
    <message>
        <source>an RPM package</source>
        <translation>ein RPM-Paket</translation>
    </message>
    <message>
        <source>a cpio archive</source>
        <translation>ein cpio-Archiv</translation>
    </message>
    <message>
        <source>a disk image</source>
        <translation>ein Datenträgerabbild</translation>
    </message>
    <message>
        <source>an archive of this kind</source>
        <translation>ein Archiv dieser Art</translation>
    </message>
    <message>
        <source>Corvex can&apos;t open %1.</source>
        <translation>Corvex kann %1 nicht öffnen.</translation>
    </message>
    <message>
        <source>Corvex can&apos;t test %1.</source>
        <translation>Corvex kann %1 nicht prüfen.</translation>
    </message>
    <message>
        <source>Corvex can&apos;t extract %1.</source>
        <translation>Corvex kann %1 nicht entpacken.</translation>
    </message>
    <message>
        <source>Corvex can&apos;t change %1.</source>
        <translation>Corvex kann %1 nicht ändern.</translation>
    </message>
    <message>
        <source>Corvex can&apos;t create %1.</source>
        <translation>Corvex kann %1 nicht erstellen.</translation>
    </message>
    <message>
        <source>a RAR archive</source>
        <translation>ein RAR-Archiv</translation>
    </message>
    <message>
        <source>an lzip file</source>
        <translation>eine lzip-Datei</translation>
    </message>
    <message>
        <source>an LZ4 file</source>
        <translation>eine LZ4-Datei</translation>
    </message>
</context>
<context>
    <name>ChangeRules</name>
    <message>
        <source>A name cannot be empty.</source>
        <translation>Ein Name darf nicht leer sein.</translation>
    </message>
    <message>
        <source>A name cannot contain “/”.</source>
        <translation>Ein Name darf kein „/“ enthalten.</translation>
    </message>
    <message>
        <source>“.” and “..” cannot be used as names.</source>
        <translation>„.“ und „..“ können nicht als Namen verwendet werden.</translation>
    </message>
    <message>
        <source>A name cannot contain a line break.</source>
        <translation>Ein Name darf keinen Zeilenumbruch enthalten.</translation>
    </message>
    <message>
        <source>“%1” already exists in this folder.</source>
        <translation>„%1“ gibt es in diesem Ordner bereits.</translation>
    </message>
</context>
<context>
    <name>CodePages</name>
    <message>
        <source>Western (DOS 437)</source>
        <translation>Westeuropäisch (DOS 437)</translation>
    </message>
    <message>
        <source>Western European (DOS 850)</source>
        <translation>Westeuropäisch (DOS 850)</translation>
    </message>
    <message>
        <source>Central European (DOS 852)</source>
        <translation>Mitteleuropäisch (DOS 852)</translation>
    </message>
    <message>
        <source>Cyrillic (DOS 855)</source>
        <translation>Kyrillisch (DOS 855)</translation>
    </message>
    <message>
        <source>Turkish (DOS 857)</source>
        <translation>Türkisch (DOS 857)</translation>
    </message>
    <message>
        <source>Hebrew (DOS 862)</source>
        <translation>Hebräisch (DOS 862)</translation>
    </message>
    <message>
        <source>Cyrillic (DOS 866)</source>
        <translation>Kyrillisch (DOS 866)</translation>
    </message>
    <message>
        <source>Greek (DOS 737)</source>
        <translation>Griechisch (DOS 737)</translation>
    </message>
    <message>
        <source>Baltic (DOS 775)</source>
        <translation>Baltisch (DOS 775)</translation>
    </message>
    <message>
        <source>Thai (Windows 874)</source>
        <translation>Thailändisch (Windows 874)</translation>
    </message>
    <message>
        <source>Japanese (Shift JIS)</source>
        <translation>Japanisch (Shift JIS)</translation>
    </message>
    <message>
        <source>Chinese Simplified (GBK)</source>
        <translation>Chinesisch, vereinfacht (GBK)</translation>
    </message>
    <message>
        <source>Korean (Windows 949)</source>
        <translation>Koreanisch (Windows 949)</translation>
    </message>
    <message>
        <source>Chinese Traditional (Big5)</source>
        <translation>Chinesisch, traditionell (Big5)</translation>
    </message>
    <message>
        <source>Western (Windows 1252)</source>
        <translation>Westeuropäisch (Windows 1252)</translation>
    </message>
    <message>
        <source>Central European (Windows 1250)</source>
        <translation>Mitteleuropäisch (Windows 1250)</translation>
    </message>
    <message>
        <source>Cyrillic (Windows 1251)</source>
        <translation>Kyrillisch (Windows 1251)</translation>
    </message>
    <message>
        <source>Greek (Windows 1253)</source>
        <translation>Griechisch (Windows 1253)</translation>
    </message>
    <message>
        <source>Turkish (Windows 1254)</source>
        <translation>Türkisch (Windows 1254)</translation>
    </message>
    <message>
        <source>Hebrew (Windows 1255)</source>
        <translation>Hebräisch (Windows 1255)</translation>
    </message>
    <message>
        <source>Arabic (Windows 1256)</source>
        <translation>Arabisch (Windows 1256)</translation>
    </message>
    <message>
        <source>Baltic (Windows 1257)</source>
        <translation>Baltisch (Windows 1257)</translation>
    </message>
    <message>
        <source>Vietnamese (Windows 1258)</source>
        <translation>Vietnamesisch (Windows 1258)</translation>
    </message>
</context>
<context>
    <name>CommandLineMode</name>
    <message>
        <source>Corvex was given no items to work on.</source>
        <translation>Corvex wurden keine Objekte zum Bearbeiten übergeben.</translation>
    </message>
    <message>
        <source>Corvex was given an item with an empty name.</source>
        <translation>Corvex wurde ein Objekt mit leerem Namen übergeben.</translation>
    </message>
</context>
<context>
    <name>CompressDialog</name>
    <message>
        <source>Compress “%1”</source>
        <translation>„%1“ packen</translation>
    </message>
    <message numerus="yes">
        <source>Compress %n items</source>
        <translation>
            <numerusform>%n Element packen</numerusform>
            <numerusform>%n Elemente packen</numerusform>
        </translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Auswählen…</translation>
    </message>
    <message>
        <source>Folder:</source>
        <translation>Ordner:</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>Store</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Fast</source>
        <translation>Schnell</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>Maximal</translation>
    </message>
    <message>
        <source>Level:</source>
        <translation>Stufe:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Confirm:</source>
        <translation>Bestätigen:</translation>
    </message>
    <message>
        <source>Show password</source>
        <translation>Passwort anzeigen</translation>
    </message>
    <message>
        <source>Encrypt file names</source>
        <translation>Dateinamen verschlüsseln</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Other size…</source>
        <translation>Andere Größe…</translation>
    </message>
    <message>
        <source>e.g. 100 MB</source>
        <translation>z. B. 100 MB</translation>
    </message>
    <message>
        <source>Split into volumes:</source>
        <translation>In Teile aufteilen:</translation>
    </message>
    <message>
        <source>Each item in its own archive</source>
        <translation>Jedes Element in ein eigenes Archiv</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Erstellen</translation>
    </message>
    <message>
        <source>Choose a folder</source>
        <translation>Ordner auswählen</translation>
    </message>
    <message>
        <source>Only one item is chosen.</source>
        <translation>Es ist nur ein Element gewählt.</translation>
    </message>
    <message>
        <source>Each archive is named after its item.</source>
        <translation>Jedes Archiv wird nach seinem Element benannt.</translation>
    </message>
    <message>
        <source>Choose a folder that exists.</source>
        <translation>Wählen Sie einen vorhandenen Ordner.</translation>
    </message>
    <message>
        <source>Type the password again to confirm it.</source>
        <translation>Geben Sie das Passwort zur Bestätigung erneut ein.</translation>
    </message>
    <message>
        <source>The passwords do not match.</source>
        <translation>Die Passwörter stimmen nicht überein.</translation>
    </message>
    <message>
        <source>Type a volume size of at least %1, such as “100 MB”.</source>
        <translation>Geben Sie eine Teilgröße von mindestens %1 ein, etwa „100 MB“.</translation>
    </message>
</context>
<context>
    <name>ConflictBox</name>
    <message>
        <source>A folder named “%1” already exists in “%2”.</source>
        <translation>In „%2“ gibt es bereits einen Ordner namens „%1“.</translation>
    </message>
    <message>
        <source>An item named “%1” already exists in “%2”.</source>
        <translation>In „%2“ gibt es bereits ein Element namens „%1“.</translation>
    </message>
    <message>
        <source>“%1” holds a folder of the same name. Replace the existing one, keep both, or skip the one from the archive?</source>
        <translation>„%1“ enthält einen Ordner mit demselben Namen. Das Vorhandene ersetzen, beide behalten oder den aus dem Archiv überspringen?</translation>
    </message>
    <message>
        <source>“%1” holds a file of the same name. Replace the existing one, keep both, or skip the one from the archive?</source>
        <translation>„%1“ enthält eine Datei mit demselben Namen. Das Vorhandene ersetzen, beide behalten oder die aus dem Archiv überspringen?</translation>
    </message>
    <message>
        <source>Replacing removes the folder and everything in it.</source>
        <translation>Beim Ersetzen werden der Ordner und alles darin entfernt.</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Keep Both</source>
        <translation>Beide behalten</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message>
        <source>Apply to all</source>
        <translation>Für alle übernehmen</translation>
    </message>
    <message>
        <source>Replace it with the new archive, or keep both and name the new one “%1”?</source>
        <translation>Durch das neue Archiv ersetzen oder beide behalten und das neue „%1“ nennen?</translation>
    </message>
    <message>
        <source>Replace the member in the archive, keep both, or skip the item being added?</source>
        <translation>Das Element im Archiv ersetzen, beide behalten oder das hinzuzufügende Objekt überspringen?</translation>
    </message>
</context>
<context>
    <name>CorvexController</name>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Extract</source>
        <translation>Entpacken</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansehen</translation>
    </message>
    <message>
        <source>Reading archive…</source>
        <translation>Archiv wird gelesen…</translation>
    </message>
    <message numerus="yes">
        <source>%n items</source>
        <translation>
            <numerusform>%n Element</numerusform>
            <numerusform>%n Elemente</numerusform>
        </translation>
    </message>
    <message>
        <source>Open an archive</source>
        <translation>Archiv öffnen</translation>
    </message>
    <message>
        <source>Extracting…</source>
        <translation>Wird entpackt…</translation>
    </message>
    <message>
        <source>Extracted to %1</source>
        <translation>Entpackt nach %1</translation>
    </message>
    <message>
        <source>Testing…</source>
        <translation>Wird geprüft…</translation>
    </message>
    <message>
        <source>Archive test passed</source>
        <translation>Archivprüfung bestanden</translation>
    </message>
    <message>
        <source>Choose files and folders</source>
        <translation>Dateien und Ordner auswählen</translation>
    </message>
    <message>
        <source>Archive.zip</source>
        <translation>Archiv.zip</translation>
    </message>
    <message>
        <source>Creating ZIP…</source>
        <translation>ZIP wird erstellt…</translation>
    </message>
    <message>
        <source>Opening preview…</source>
        <translation>Vorschau wird geöffnet…</translation>
    </message>
    <message>
        <source>Extract Selected…</source>
        <translation>Auswahl entpacken…</translation>
    </message>
    <message>
        <source>Copy Path</source>
        <translation>Pfad kopieren</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n items</source>
        <translation>
            <numerusform>%1 von %n Element</numerusform>
            <numerusform>%1 von %n Elementen</numerusform>
        </translation>
    </message>
    <message>
        <source>File manager actions installed</source>
        <translation>Dateimanager-Aktionen installiert</translation>
    </message>
    <message numerus="yes">
        <source>%n selected item(s) cannot be extracted alone</source>
        <translation>
            <numerusform>%n ausgewähltes Element kann nicht allein entpackt werden</numerusform>
            <numerusform>%n ausgewählte Elemente können nicht allein entpackt werden</numerusform>
        </translation>
    </message>
    <message>
        <source>Their names are not valid UTF-8, so Corvex cannot name them to the archive tool: %1. Extract the whole archive, or select the folder that holds them.</source>
        <translation>Ihre Namen sind kein gültiges UTF-8, daher kann Corvex sie dem Archivprogramm nicht nennen: %1. Entpacken Sie das ganze Archiv oder wählen Sie den Ordner, der sie enthält.</translation>
    </message>
    <message>
        <source>Extracting selected items…</source>
        <translation>Ausgewählte Elemente werden entpackt…</translation>
    </message>
    <message>
        <source>Extracting for the drag…</source>
        <translation>Für das Ziehen wird entpackt…</translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) ready: drag them again to drop them</source>
        <translation>
            <numerusform>%n Element bereit: zum Ablegen erneut ziehen</numerusform>
            <numerusform>%n Elemente bereit: zum Ablegen erneut ziehen</numerusform>
        </translation>
    </message>
    <message>
        <source>Extract Here, Extract to Folder, Compress to ZIP, and Compress… are now in your file manager&apos;s context menu.</source>
        <translation>„Extract Here“, „Extract to Folder“, „Compress to ZIP“ und „Compress…“ stehen jetzt im Kontextmenü Ihres Dateimanagers.</translation>
    </message>
    <message>
        <source>Creating archive…</source>
        <translation>Archiv wird erstellt…</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>%1 · in %2</source>
        <extracomment>The items of the archive, then where the Folders view is.</extracomment>
        <translation>%1 · in %2</translation>
    </message>
    <message>
        <source>Add Files…</source>
        <translation>Dateien hinzufügen …</translation>
    </message>
    <message>
        <source>Add Folder…</source>
        <translation>Ordner hinzufügen …</translation>
    </message>
    <message>
        <source>Add files to “%1”</source>
        <translation>Dateien zu „%1“ hinzufügen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Add a folder to “%1”</source>
        <translation>Einen Ordner zu „%1“ hinzufügen</translation>
    </message>
    <message>
        <source>Adding…</source>
        <translation>Wird hinzugefügt …</translation>
    </message>
    <message>
        <source>Delete “%1” from “%2”?</source>
        <translation>„%1“ aus „%2“ löschen?</translation>
    </message>
    <message numerus="yes">
        <source>Delete %n items from “%1”?</source>
        <translation>
            <numerusform>%n Element aus „%1“ löschen?</numerusform>
            <numerusform>%n Elemente aus „%1“ löschen?</numerusform>
        </translation>
    </message>
    <message>
        <source>A folder goes with everything in it. This cannot be undone.</source>
        <translation>Ein Ordner wird mit seinem gesamten Inhalt gelöscht. Das lässt sich nicht rückgängig machen.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Deleting…</source>
        <translation>Wird gelöscht …</translation>
    </message>
    <message>
        <source>Renaming…</source>
        <translation>Wird umbenannt …</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>“%1” was changed. Update it in “%2”?</source>
        <translation>„%1“ wurde geändert. In „%2“ aktualisieren?</translation>
    </message>
    <message numerus="yes">
        <source>%n items were changed. Update them in “%1”?</source>
        <translation>
            <numerusform>%n Element wurde geändert. In „%1“ aktualisieren?</numerusform>
            <numerusform>%n Elemente wurden geändert. In „%1“ aktualisieren?</numerusform>
        </translation>
    </message>
    <message>
        <source>The copy opened with View was saved.</source>
        <translation>Die mit „Ansehen“ geöffnete Kopie wurde gespeichert.</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation>Nicht jetzt</translation>
    </message>
    <message>
        <source>Updating…</source>
        <translation>Wird aktualisiert …</translation>
    </message>
</context>
<context>
    <name>CreationRules</name>
    <message>
        <source>Type a name for the archive.</source>
        <translation>Geben Sie einen Namen für das Archiv ein.</translation>
    </message>
    <message>
        <source>A name cannot hold “/”.</source>
        <translation>Ein Name darf kein „/“ enthalten.</translation>
    </message>
    <message>
        <source>“%1” cannot be a file name.</source>
        <translation>„%1“ kann kein Dateiname sein.</translation>
    </message>
    <message>
        <source>The name is too long.</source>
        <translation>Der Name ist zu lang.</translation>
    </message>
    <message>
        <source>Only ZIP and 7z archives can have a password.</source>
        <translation>Nur ZIP- und 7z-Archive können ein Passwort haben.</translation>
    </message>
    <message>
        <source>Only a 7z archive can hide the names of its files.</source>
        <translation>Nur ein 7z-Archiv kann die Namen seiner Dateien verbergen.</translation>
    </message>
    <message>
        <source>Names are hidden with the password: type one first.</source>
        <translation>Die Namen werden mit dem Passwort verborgen: Geben Sie zuerst eines ein.</translation>
    </message>
    <message>
        <source>A tar archive is not compressed.</source>
        <translation>Ein tar-Archiv wird nicht komprimiert.</translation>
    </message>
    <message>
        <source>A %1 archive is always compressed: choose tar to store the files as they are.</source>
        <translation>Ein %1-Archiv wird immer komprimiert: Wählen Sie tar, um die Dateien unverändert zu speichern.</translation>
    </message>
    <message>
        <source>A password cannot hold a line break.</source>
        <translation>Ein Passwort darf keinen Zeilenumbruch enthalten.</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
</context>
<context>
    <name>DragOut</name>
    <message>
        <source>Cannot create a folder in “%1”</source>
        <translation>In „%1“ kann kein Ordner erstellt werden</translation>
    </message>
</context>
<context>
    <name>EncodingMenu</name>
    <message>
        <source>%1 (detected)</source>
        <translation>%1 (erkannt)</translation>
    </message>
</context>
<context>
    <name>EntryTableModel</name>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Packed</source>
        <translation>Gepackt</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Modified</source>
        <translation>Geändert</translation>
    </message>
    <message>
        <source>Encrypted</source>
        <translation>Verschlüsselt</translation>
    </message>
</context>
<context>
    <name>ExtractionStaging</name>
    <message>
        <source>Nothing was placed: “%1” is on another file system</source>
        <translation>Nichts wurde abgelegt: „%1“ liegt auf einem anderen Dateisystem</translation>
    </message>
    <message>
        <source>Cannot move the extracted item to “%1”</source>
        <translation>Das entpackte Element kann nicht nach „%1“ verschoben werden</translation>
    </message>
    <message>
        <source>Cannot read the extracted item for “%1”</source>
        <translation>Das entpackte Element für „%1“ kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cannot look at “%1”</source>
        <translation>„%1“ kann nicht untersucht werden</translation>
    </message>
    <message>
        <source>Cannot replace “%1”</source>
        <translation>„%1“ kann nicht ersetzt werden</translation>
    </message>
    <message>
        <source>Cannot read the extracted folder for “%1”</source>
        <translation>Der entpackte Ordner für „%1“ kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cannot open the folder “%1”</source>
        <translation>Der Ordner „%1“ kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Cannot create a folder in “%1”</source>
        <translation>In „%1“ kann kein Ordner erstellt werden</translation>
    </message>
    <message>
        <source>Cannot read the extracted items in “%1”</source>
        <translation>Die entpackten Elemente in „%1“ können nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>FailureReport</name>
    <message>
        <source>“%1” is not an archive, or is in a format Corvex cannot read.</source>
        <translation>„%1“ ist kein Archiv oder hat ein Format, das Corvex nicht lesen kann.</translation>
    </message>
    <message>
        <source>“%1” is damaged or incomplete.</source>
        <translation>„%1“ ist beschädigt oder unvollständig.</translation>
    </message>
    <message>
        <source>Corvex could not write the items of “%1”: %2.</source>
        <translation>Corvex konnte die Elemente von „%1“ nicht schreiben: %2.</translation>
    </message>
    <message>
        <source>Corvex could not write “%1”: %2.</source>
        <translation>Corvex konnte „%1“ nicht schreiben: %2.</translation>
    </message>
    <message>
        <source>“%1” cannot be found.</source>
        <translation>„%1“ wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>An item to be put in “%1” cannot be found.</source>
        <translation>Ein Element, das in „%1“ aufgenommen werden soll, wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>“%1” cannot be read: %2.</source>
        <translation>„%1“ kann nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>An item to be put in “%1” cannot be read: %2.</source>
        <translation>Ein Element, das in „%1“ aufgenommen werden soll, kann nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>“%1” holds a link that leads outside the destination; nothing was extracted.</source>
        <translation>„%1“ enthält eine Verknüpfung, die aus dem Ziel hinausführt; es wurde nichts entpackt.</translation>
    </message>
    <message>
        <source>The password for “%1” is wrong.</source>
        <translation>Das Passwort für „%1“ ist falsch.</translation>
    </message>
    <message>
        <source>There is not enough memory to %3 “%1”.</source>
        <translation>Der Speicher reicht nicht aus: Corvex kann „%1“ nicht %3.</translation>
    </message>
    <message>
        <source>Corvex&apos;s archive tool was stopped before it could %3 “%1”.</source>
        <translation>Das Archivprogramm von Corvex wurde beendet, bevor es „%1“ %3 konnte.</translation>
    </message>
    <message>
        <source>“%1” is a folder, not an archive.</source>
        <translation>„%1“ ist ein Ordner, kein Archiv.</translation>
    </message>
    <message>
        <source>“%1” is not a regular file, so Corvex cannot open it as an archive.</source>
        <translation>„%1“ ist keine reguläre Datei, daher kann Corvex es nicht als Archiv öffnen.</translation>
    </message>
    <message>
        <source>“%1” changed while it was being extracted.</source>
        <translation>„%1“ hat sich während des Entpackens geändert.</translation>
    </message>
    <message>
        <source>Corvex could not %3 “%1”.</source>
        <translation>Corvex konnte „%1“ nicht %3.</translation>
    </message>
    <message>
        <source>open</source>
        <comment>what Corvex could not do to the archive %1</comment>
        <translation>öffnen</translation>
    </message>
    <message>
        <source>extract</source>
        <comment>what Corvex could not do to the archive %1</comment>
        <translation>entpacken</translation>
    </message>
    <message>
        <source>test</source>
        <comment>what Corvex could not do to the archive %1</comment>
        <translation>prüfen</translation>
    </message>
    <message>
        <source>create</source>
        <comment>what Corvex could not do to the archive %1</comment>
        <translation>erstellen</translation>
    </message>
    <message>
        <source>preview an item of</source>
        <comment>what Corvex could not do to the archive %1</comment>
        <translation>für die Vorschau öffnen</translation>
    </message>
    <message>
        <source>“%1” is encrypted: Corvex cannot %3 it without its password.</source>
        <translation>„%1“ ist verschlüsselt: Corvex kann es ohne das Passwort nicht %3.</translation>
    </message>
    <message>
        <source>Unsafe archive paths detected</source>
        <translation>Unsichere Pfade im Archiv gefunden</translation>
    </message>
    <message numerus="yes">
        <source>Corvex found %n item(s) that may write outside the destination. Extraction was stopped.</source>
        <translation>
            <numerusform>Corvex hat %n Element gefunden, das außerhalb des Ziels schreiben könnte. Das Entpacken wurde angehalten.</numerusform>
            <numerusform>Corvex hat %n Elemente gefunden, die außerhalb des Ziels schreiben könnten. Das Entpacken wurde angehalten.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Corvex found %n item(s) that would delete files in the destination. Extraction was stopped.</source>
        <translation>
            <numerusform>Corvex hat %n Element gefunden, das Dateien im Ziel löschen würde. Das Entpacken wurde angehalten.</numerusform>
            <numerusform>Corvex hat %n Elemente gefunden, die Dateien im Ziel löschen würden. Das Entpacken wurde angehalten.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Corvex found %n item(s) that may write outside the destination and %1 that would delete files in it. Extraction was stopped.</source>
        <translation>
            <numerusform>Corvex hat %n Element gefunden, das außerhalb des Ziels schreiben könnte, sowie Elemente, die Dateien darin löschen würden (%1). Das Entpacken wurde angehalten.</numerusform>
            <numerusform>Corvex hat %n Elemente gefunden, die außerhalb des Ziels schreiben könnten, sowie Elemente, die Dateien darin löschen würden (%1). Das Entpacken wurde angehalten.</numerusform>
        </translation>
    </message>
    <message>
        <source>“%1” is encrypted. Corvex can&apos;t open encrypted RAR archives.</source>
        <translation>„%1“ ist verschlüsselt. Corvex kann verschlüsselte RAR-Archive nicht öffnen.</translation>
    </message>
    <message>
        <source>A volume of “%1” is missing: “%2”.</source>
        <translation>Ein Teil von „%1“ fehlt: „%2“.</translation>
    </message>
    <message>
        <source>add to</source>
        <comment>what Corvex could not do to the archive %1</comment>
        <translation>ergänzen</translation>
    </message>
    <message>
        <source>delete from</source>
        <comment>what Corvex could not do to the archive %1</comment>
        <translation>ändern</translation>
    </message>
    <message>
        <source>rename in</source>
        <comment>what Corvex could not do to the archive %1</comment>
        <translation>ändern</translation>
    </message>
</context>
<context>
    <name>FileNames</name>
    <message>
        <source>Cannot create the folder “%1”</source>
        <translation>Der Ordner „%1“ kann nicht erstellt werden</translation>
    </message>
</context>
<context>
    <name>FolderTableModel</name>
    <message>
        <source>Encrypted</source>
        <translation>Verschlüsselt</translation>
    </message>
    <message numerus="yes">
        <source>Folder, %n item(s)</source>
        <translation>
            <numerusform>Ordner, %n Element</numerusform>
            <numerusform>Ordner, %n Elemente</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Open an archive to begin</source>
        <translation>Öffnen Sie ein Archiv, um zu beginnen</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Extract</source>
        <translation>Entpacken</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Prüfen</translation>
    </message>
    <message>
        <source>Compress to ZIP</source>
        <translation>Als ZIP packen</translation>
    </message>
    <message>
        <source>Compress…</source>
        <translation>Packen…</translation>
    </message>
    <message>
        <source>Add Files…</source>
        <translation>Dateien hinzufügen …</translation>
    </message>
    <message>
        <source>Add Folder…</source>
        <translation>Ordner hinzufügen …</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansehen</translation>
    </message>
    <message>
        <source>File Manager Actions</source>
        <translation>Dateimanager-Menü</translation>
    </message>
    <message>
        <source>Encoding</source>
        <translation>Zeichensatz</translation>
    </message>
    <message>
        <source>Open Archive</source>
        <translation>Archiv öffnen</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Persönlicher Ordner</translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>Documents</source>
        <translation>Dokumente</translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation>Schreibtisch</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>Every member in one list (Ctrl+1)</source>
        <translation>Alle Elemente in einer Liste (Strg+1)</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>One folder at a time (Ctrl+2)</source>
        <translation>Ein Ordner nach dem anderen (Strg+2)</translation>
    </message>
</context>
<context>
    <name>NewZip</name>
    <message>
        <source>Cannot save “%1”</source>
        <translation>„%1“ kann nicht gespeichert werden</translation>
    </message>
</context>
<context>
    <name>PasswordDialog</name>
    <message>
        <source>Show password</source>
        <translation>Passwort anzeigen</translation>
    </message>
    <message>
        <source>“%1” is protected by a password.</source>
        <translation>„%1“ ist durch ein Passwort geschützt.</translation>
    </message>
    <message>
        <source>The password you entered was wrong. Try again.</source>
        <translation>Das eingegebene Passwort war falsch. Versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Enter its password to go on.</source>
        <translation>Geben Sie das Passwort ein, um fortzufahren.</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Protect “%1” with a password?</source>
        <translation>„%1“ mit einem Passwort schützen?</translation>
    </message>
    <message>
        <source>Leave both fields empty for no password. A password encrypts the contents with AES-256; the names of the files stay readable.</source>
        <translation>Lassen Sie beide Felder leer, wenn Sie kein Passwort möchten. Ein Passwort verschlüsselt den Inhalt mit AES-256; die Namen der Dateien bleiben lesbar.</translation>
    </message>
    <message>
        <source>Confirm:</source>
        <translation>Bestätigen:</translation>
    </message>
    <message>
        <source>A password cannot hold a line break.</source>
        <translation>Ein Passwort darf keinen Zeilenumbruch enthalten.</translation>
    </message>
    <message>
        <source>The passwords do not match.</source>
        <translation>Die Passwörter stimmen nicht überein.</translation>
    </message>
</context>
<context>
    <name>PreviewFolder</name>
    <message>
        <source>Cannot create a preview folder in “%1”</source>
        <translation>In „%1“ kann kein Vorschauordner erstellt werden</translation>
    </message>
</context>
<context>
    <name>ProcessRunner</name>
    <message>
        <source>Cannot create a pipe</source>
        <translation>Es kann keine Pipe erstellt werden</translation>
    </message>
    <message>
        <source>Cannot start “%1”</source>
        <translation>„%1“ kann nicht gestartet werden</translation>
    </message>
    <message>
        <source>Cannot start “%1” in “%2”</source>
        <translation>„%1“ kann nicht in „%2“ gestartet werden</translation>
    </message>
    <message>
        <source>Cannot wait for “%1”</source>
        <translation>Auf „%1“ kann nicht gewartet werden</translation>
    </message>
</context>
<context>
    <name>QtDesktop</name>
    <message>
        <source>“%1” already exists. Do you want to replace it?</source>
        <translation>„%1“ ist bereits vorhanden. Möchten Sie es ersetzen?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>SearchField</name>
    <message>
        <source>Filter</source>
        <translation>Filtern</translation>
    </message>
</context>
<context>
    <name>SidebarPanel</name>
    <message>
        <source>QUICK ACCESS</source>
        <translation>SCHNELLZUGRIFF</translation>
    </message>
</context>
<context>
    <name>StartArguments</name>
    <message>
        <source>Corvex cannot work with “%1”.</source>
        <translation>Corvex kann nicht mit „%1“ arbeiten.</translation>
    </message>
    <message numerus="yes">
        <source>Corvex cannot work with %n of the items.</source>
        <translation>
            <numerusform>Corvex kann mit %n der Elemente nicht arbeiten.</numerusform>
            <numerusform>Corvex kann mit %n der Elemente nicht arbeiten.</numerusform>
        </translation>
    </message>
    <message>
        <source>Its name is not valid UTF-8, so Corvex could not be sure to act on that item and no other. Nothing was done. Rename it and try again.

%1</source>
        <translation>Der Name ist kein gültiges UTF-8, daher konnte Corvex nicht sicher sein, nur dieses Element und kein anderes zu bearbeiten. Es wurde nichts getan. Benennen Sie es um und versuchen Sie es erneut.

%1</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>Corvex&apos;s archive engine is missing.</source>
        <translation>Die Archiv-Engine von Corvex fehlt.</translation>
    </message>
</context>
<context>
    <name>ToolPassword</name>
    <message>
        <source>A ZIP password can hold only letters A–Z and a–z, digits, spaces and the punctuation on an English keyboard.</source>
        <translation>Ein ZIP-Passwort darf nur die Buchstaben A–Z und a–z, Ziffern, Leerzeichen und die Satzzeichen einer englischen Tastatur enthalten.</translation>
    </message>
    <message>
        <source>A ZIP password can be at most %1 characters long.</source>
        <translation>Ein ZIP-Passwort darf höchstens %1 Zeichen lang sein.</translation>
    </message>
</context>
</TS>
