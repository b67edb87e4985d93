<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CommandLine</name>
    <message>
        <source>Usage: loomfin [PATH...]
       loomfin convert [options] PATH...
Turns a numbered image sequence into an optimised animated GIF.

  loomfin              open the window; drop a folder of frames (or some frame
                       files) on it, or click it to choose a folder
  loomfin PATH...      open the window and convert the folder or the frame files
                       given (a window already open takes them instead)
  loomfin convert ...  convert without a window, one GIF per folder;
                       see loomfin convert --help

Options:
  -h, --help     show this help
  -V, --version  show the version

Settings (frame rate, width, colours, lossy level, loops, frame skip, output
folder) are set in the window and kept in $XDG_CONFIG_HOME/Loomfin/Loomfin.conf
(usually ~/.config/Loomfin/Loomfin.conf); convert&apos;s options override them for
one run. GIFs go to ~/Documents/GIF_Output unless another folder is set.
More in loomfin(1).
</source>
        <translation>Aufruf: loomfin [PFAD...]
        loomfin convert [Optionen] PFAD...
Macht aus einer nummerierten Bildfolge ein optimiertes animiertes GIF.

  loomfin              öffnet das Fenster; einen Ordner mit Einzelbildern (oder
                       einige Bilddateien) darauf ziehen oder klicken und einen
                       Ordner wählen
  loomfin PFAD...      öffnet das Fenster und wandelt den Ordner oder die
                       angegebenen Bilddateien um (ein schon offenes Fenster
                       übernimmt sie)
  loomfin convert ...  wandelt ohne Fenster um, ein GIF je Ordner;
                       siehe loomfin convert --help

Optionen:
  -h, --help     diese Hilfe zeigen
  -V, --version  die Version zeigen

Die Einstellungen (Bildrate, Breite, Farben, Verlustgrad, Wiederholungen,
Bilder überspringen, Ausgabeordner) werden im Fenster gesetzt und in
$XDG_CONFIG_HOME/Loomfin/Loomfin.conf gespeichert (meist
~/.config/Loomfin/Loomfin.conf); die Optionen von convert gelten statt ihrer für
einen Lauf. GIFs kommen nach ~/Documents/GIF_Output, solange kein anderer Ordner
gesetzt ist. Mehr in loomfin(1).
</translation>
    </message>
    <message>
        <source>loomfin: no display found; to convert without a window use: loomfin convert PATH…
</source>
        <translation>loomfin: keine Anzeige gefunden; ohne Fenster umwandeln mit: loomfin convert PFAD…
</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Conversion settings</source>
        <translation>Einstellungen der Umwandlung</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Fortschritt der Umwandlung</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
</context>
<context>
    <name>ConversionPipeline</name>
    <message>
        <source>unknown size</source>
        <translation>unbekannte Größe</translation>
    </message>
    <message>
        <source>Not enough space to save the GIF in %1</source>
        <translation>Nicht genug Platz, um das GIF in %1 zu speichern</translation>
    </message>
    <message>
        <source>Could not save the GIF in %1: %2</source>
        <translation>Das GIF konnte nicht in %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Zero KB</source>
        <translation>0 KB</translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n Byte</numerusform>
            <numerusform>%n Byte</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>FFmpeg GIF creation failed: the GIF it wrote is incomplete</source>
        <translation>FFmpeg konnte das GIF nicht erstellen: das geschriebene GIF ist unvollständig</translation>
    </message>
    <message numerus="yes">
        <source>FFmpeg GIF creation failed: it made %1 of %n frames</source>
        <translation>
            <numerusform>FFmpeg konnte das GIF nicht erstellen: es wurden %1 von %n Bild erzeugt</numerusform>
            <numerusform>FFmpeg konnte das GIF nicht erstellen: es wurden %1 von %n Bildern erzeugt</numerusform>
        </translation>
    </message>
    <message>
        <source>gifsicle optimisation failed: it wrote an incomplete GIF (%1)</source>
        <translation>gifsicle konnte nicht optimieren: das geschriebene GIF ist unvollständig (%1)</translation>
    </message>
    <message>
        <source>Could not prepare the frames in %1: %2</source>
        <translation>Die Bilder konnten nicht in %1 vorbereitet werden: %2</translation>
    </message>
    <message>
        <source>No folder to save the GIF in: choose an output folder in Settings (the home folder is unknown)</source>
        <translation>Kein Ordner zum Speichern des GIFs: Wählen Sie in den Einstellungen einen Ausgabeordner (der Persönliche Ordner ist unbekannt)</translation>
    </message>
    <message>
        <source>Could not create the output folder %1: %2</source>
        <translation>Der Ausgabeordner %1 konnte nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Generating colour palette…</source>
        <translation>Farbpalette wird erzeugt…</translation>
    </message>
    <message>
        <source>FFmpeg palette generation failed: </source>
        <translation>FFmpeg konnte die Palette nicht erzeugen: </translation>
    </message>
    <message>
        <source>Creating GIF…</source>
        <translation>GIF wird erstellt…</translation>
    </message>
    <message>
        <source>FFmpeg GIF creation failed: </source>
        <translation>FFmpeg konnte das GIF nicht erstellen: </translation>
    </message>
    <message>
        <source>Optimising with gifsicle…</source>
        <translation>Optimierung mit gifsicle…</translation>
    </message>
    <message>
        <source>gifsicle optimisation failed: </source>
        <translation>gifsicle konnte nicht optimieren: </translation>
    </message>
    <message>
        <source>Could not save the GIF in %1</source>
        <translation>Das GIF konnte nicht in %1 gespeichert werden</translation>
    </message>
    <message>
        <source>it wrote a GIF without images</source>
        <translation>es hat ein GIF ohne Bilder geschrieben</translation>
    </message>
    <message>
        <source>it wrote a GIF that plays %1 s instead of %2 s</source>
        <translation>es hat ein GIF geschrieben, das %1 s statt %2 s läuft</translation>
    </message>
    <message>
        <source>gifsicle optimisation failed: its output is not a regular file</source>
        <translation>gifsicle konnte nicht optimieren: seine Ausgabe ist keine reguläre Datei</translation>
    </message>
</context>
<context>
    <name>ConvertCommand</name>
    <message>
        <source>unknown option %1</source>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>option %1 needs a value</source>
        <translation>Option %1 braucht einen Wert</translation>
    </message>
    <message>
        <source>--output needs a folder</source>
        <translation>--output braucht einen Ordner</translation>
    </message>
    <message>
        <source>not a number for %1: %2</source>
        <translation>keine Zahl für %1: %2</translation>
    </message>
    <message>
        <source>not a whole number for %1: %2</source>
        <translation>keine ganze Zahl für %1: %2</translation>
    </message>
    <message>
        <source>--loop must be from 0 to 65535 (0 = loop forever): %1</source>
        <translation>--loop muss von 0 bis 65535 reichen (0 = endlos wiederholen): %1</translation>
    </message>
    <message>
        <source>no folder or frame files given</source>
        <translation>kein Ordner und keine Bilddateien angegeben</translation>
    </message>
    <message>
        <source>Input mode: %1</source>
        <translation>Eingabeart: %1</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Abgebrochen.</translation>
    </message>
    <message>
        <source>Skipped.</source>
        <translation>Übersprungen.</translation>
    </message>
    <message>
        <source>no such file or folder: %1</source>
        <translation>keine solche Datei und kein solcher Ordner: %1</translation>
    </message>
    <message>
        <source>give either folders (one GIF each) or frame files (one GIF), not both</source>
        <translation>entweder Ordner (je ein GIF) oder Bilddateien (ein GIF) angeben, nicht beides</translation>
    </message>
    <message>
        <source>Usage: loomfin convert [options] PATH...
Turns a folder of numbered frames, or the frame files given, into an optimised GIF.
Several folders make one GIF each, one after another, with the same settings.

Options (override the saved settings for this run only):
  --fps N        frame rate (1-60)
  --width N      width in pixels (100-1200)
  --colors N     palette size (2-256)
  --lossy N      lossy compression level, 0 = best quality (0-200)
  --loop N       0 = loop forever, 1 = play once, N = play N times (0-65535)
  --skip N       keep every Nth frame
  --output DIR   folder for the GIFs
  --dry-run      show the frames found and the commands, run nothing
  --notify       post a desktop notification when done
  --sequential   run one tool process at a time (for comparison, or as a way
                 out); otherwise a long job&apos;s GIF pass runs as frame ranges,
                 one per core, joined into the same GIF
  -h, --help     show this help
  -V, --version  show the version

A long job already keeps every core busy. To run folders in parallel
anyway, start one loomfin per folder:
  printf &apos;%s\0&apos; shots_*/ | xargs -0 -n1 -P2 loomfin convert
</source>
        <translation>Aufruf: loomfin convert [Optionen] PFAD...
Macht aus einem Ordner nummerierter Einzelbilder oder aus den angegebenen
Bilddateien ein optimiertes GIF. Mehrere Ordner ergeben je ein GIF, einer nach
dem anderen, mit denselben Einstellungen.

Optionen (gelten statt der gespeicherten Einstellungen nur für diesen Lauf):
  --fps N        Bildrate (1-60)
  --width N      Breite in Pixeln (100-1200)
  --colors N     Größe der Palette (2-256)
  --lossy N      Verlustgrad der Kompression, 0 = beste Qualität (0-200)
  --loop N       0 = endlos wiederholen, 1 = einmal abspielen,
                 N = N-mal abspielen (0-65535)
  --skip N       jedes N-te Bild behalten
  --output DIR   Ordner für die GIFs
  --dry-run      die gefundenen Bilder und die Befehle zeigen, nichts ausführen
  --notify       nach dem Ende eine Desktop-Benachrichtigung senden
  --sequential   immer nur einen Werkzeugprozess ausführen (zum Vergleich oder
                 als Ausweg); sonst läuft der GIF-Durchgang einer langen
                 Umwandlung in Bildbereichen, einer je Kern, zum selben GIF
                 zusammengefügt
  -h, --help     diese Hilfe zeigen
  -V, --version  die Version zeigen

Eine lange Umwandlung hält schon alle Kerne beschäftigt. Um Ordner trotzdem
parallel umzuwandeln, ein loomfin je Ordner starten:
  printf &apos;%s\0&apos; shots_*/ | xargs -0 -n1 -P2 loomfin convert
</translation>
    </message>
</context>
<context>
    <name>ConverterEngine</name>
    <message>
        <source>Loomfin — Error</source>
        <translation>Loomfin — Fehler</translation>
    </message>
    <message>
        <source>Done — %1 (%2)</source>
        <translation>Fertig — %1 (%2)</translation>
    </message>
    <message>
        <source>Loomfin — Done ✓</source>
        <translation>Loomfin — Fertig ✓</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <comment>file name · size</comment>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>loomfin: the settings file %1 is not a regular file: using the defaults, and no change is saved
</source>
        <translation>loomfin: die Einstellungsdatei %1 ist keine reguläre Datei: es gelten die Standardwerte, und keine Änderung wird gespeichert
</translation>
    </message>
</context>
<context>
    <name>DropZoneView</name>
    <message>
        <source>Drop image sequence folder here</source>
        <translation>Ordner mit Bildfolge hier ablegen</translation>
    </message>
    <message>
        <source>PNG · JPG · TIFF · TGA · BMP  ·  or click to browse</source>
        <translation>PNG · JPG · TIFF · TGA · BMP  ·  oder klicken zum Auswählen</translation>
    </message>
    <message>
        <source>Select PNG Folder</source>
        <translation>PNG-Ordner auswählen</translation>
    </message>
</context>
<context>
    <name>FileRevealer</name>
    <message>
        <source>No file manager is installed to show the GIF.</source>
        <translation>Es ist kein Dateimanager installiert, der das GIF zeigen kann.</translation>
    </message>
</context>
<context>
    <name>FrameSequence</name>
    <message>
        <source>No image files found in the dropped folder. Supported: PNG, JPG, TIFF, TGA, BMP.</source>
        <translation>Keine Bilddateien im abgelegten Ordner gefunden. Unterstützt: PNG, JPG, TIFF, TGA, BMP.</translation>
    </message>
    <message>
        <source>None of the files given is an image file. Supported: PNG, JPG, TIFF, TGA, BMP.</source>
        <translation>Keine der angegebenen Dateien ist eine Bilddatei. Unterstützt: PNG, JPG, TIFF, TGA, BMP.</translation>
    </message>
    <message>
        <source>No image files found in %1. Supported: PNG, JPG, TIFF, TGA, BMP.</source>
        <translation>Keine Bilddateien in %1 gefunden. Unterstützt: PNG, JPG, TIFF, TGA, BMP.</translation>
    </message>
    <message numerus="yes">
        <source>Using %1 of %n frames (every %2)…</source>
        <translation>
            <numerusform>Verwende %1 von %n Bild (jedes %2)…</numerusform>
            <numerusform>Verwende %1 von %n Bildern (jedes %2)…</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Using %n selected frames…</source>
        <translation>
            <numerusform>Verwende %n ausgewähltes Bild…</numerusform>
            <numerusform>Verwende %n ausgewählte Bilder…</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Found %n frames…</source>
        <translation>
            <numerusform>%n Bild gefunden…</numerusform>
            <numerusform>%n Bilder gefunden…</numerusform>
        </translation>
    </message>
    <message>
        <source>The frame %1 is empty (0 bytes). Render it again or remove it.</source>
        <translation>Das Bild %1 ist leer (0 Byte). Rendern Sie es neu oder entfernen Sie es.</translation>
    </message>
</context>
<context>
    <name>LoomfinApp</name>
    <message>
        <source>loomfin: the open window did not answer; starting another
</source>
        <translation>loomfin: das offene Fenster hat nicht geantwortet; ein weiteres wird gestartet
</translation>
    </message>
</context>
<context>
    <name>NumberFormat</name>
    <message>
        <source>%1th</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>%1st</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>%1nd</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>%1rd</source>
        <translation>%1.</translation>
    </message>
</context>
<context>
    <name>PrivateFolder</name>
    <message>
        <source>Could not make a temporary folder in %1: %2</source>
        <translation>In %1 konnte kein temporärer Ordner angelegt werden: %2</translation>
    </message>
</context>
<context>
    <name>ResultView</name>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Convert Another</source>
        <translation>Weitere umwandeln</translation>
    </message>
</context>
<context>
    <name>SettingsSummary</name>
    <message>
        <source>%1 fps</source>
        <translation>%1 fps</translation>
    </message>
    <message>
        <source>%1px</source>
        <translation>%1 px</translation>
    </message>
    <message>
        <source>%1 colors</source>
        <translation>%1 Farben</translation>
    </message>
    <message>
        <source>skip %1×</source>
        <translation>überspringen %1×</translation>
    </message>
    <message>
        <source>∞ loop</source>
        <translation>∞ Schleife</translation>
    </message>
    <message>
        <source>%1× loop</source>
        <translation>%1× Schleife</translation>
    </message>
</context>
<context>
    <name>SettingsTexts</name>
    <message>
        <source>Forever</source>
        <translation>Endlos</translation>
    </message>
    <message>
        <source>GIF loops indefinitely.</source>
        <translation>Das GIF wiederholt sich endlos.</translation>
    </message>
    <message>
        <source>GIF plays once and stops.</source>
        <translation>Das GIF läuft einmal und hält an.</translation>
    </message>
    <message>
        <source>GIF plays %1 times then stops.</source>
        <translation>Das GIF läuft %1-mal und hält dann an.</translation>
    </message>
    <message numerus="yes">
        <source>GIF plays %n times then stops.</source>
        <translation>
            <numerusform>Das GIF läuft %n-mal und hält dann an.</numerusform>
            <numerusform>Das GIF läuft %n-mal und hält dann an.</numerusform>
        </translation>
    </message>
    <message>
        <source>Off (1×)</source>
        <translation>Aus (1×)</translation>
    </message>
    <message>
        <source>Every %1</source>
        <comment>frame skip</comment>
        <translation>Jedes %1</translation>
    </message>
    <message>
        <source>Keeps every Nth frame: N times fewer frames.</source>
        <translation>Behält jedes N-te Bild: N-mal weniger Bilder.</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Choose Output Folder</source>
        <translation>Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Output Folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>FPS</source>
        <translation>Bilder/s</translation>
    </message>
    <message>
        <source>fps</source>
        <translation>fps</translation>
    </message>
    <message>
        <source>Frame Skip</source>
        <translation>Bilder überspringen</translation>
    </message>
    <message>
        <source>Loop</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualität</translation>
    </message>
    <message>
        <source>Max Colors</source>
        <translation>Max. Farben</translation>
    </message>
    <message>
        <source>Lossy</source>
        <translation>Verlust</translation>
    </message>
    <message>
        <source>0 = best quality</source>
        <translation>0 = beste Qualität</translation>
    </message>
</context>
<context>
    <name>ToolRunner</name>
    <message>
        <source>Could not start %1: %2</source>
        <translation>%1 konnte nicht gestartet werden: %2</translation>
    </message>
    <message>
        <source>Exit status unavailable</source>
        <translation>Exit-Status nicht verfügbar</translation>
    </message>
    <message>
        <source>Terminated by signal %1 (%2)</source>
        <translation>Durch Signal %1 beendet (%2)</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>exit %1</source>
        <translation>Exit-Status %1</translation>
    </message>
    <message>
        <source>Missing required tools: ffmpeg + gifsicle.</source>
        <translation>Benötigte Programme fehlen: ffmpeg + gifsicle.</translation>
    </message>
    <message>
        <source>For app releases, bundle executables at %1/.</source>
        <translation>Für Programmpakete die ausführbaren Dateien in %1/ beilegen.</translation>
    </message>
    <message>
        <source>Dev fallback paths checked: /opt/homebrew/bin, /usr/local/bin, and $PATH.</source>
        <translation>Zusätzlich durchsucht: /opt/homebrew/bin, /usr/local/bin und $PATH.</translation>
    </message>
    <message>
        <source>Install them from your distribution&apos;s packages, for example: sudo apt install ffmpeg gifsicle</source>
        <translation>Installieren Sie sie aus den Paketen Ihrer Distribution, zum Beispiel: sudo apt install ffmpeg gifsicle</translation>
    </message>
</context>
<context>
    <name>WidthSliderRow</name>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
</context>
</TS>
