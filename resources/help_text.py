# -*- coding: utf-8 -*-
"""Texts of the two help pages, drawn by generate_artwork.py.

Markup inside paragraphs: *bold*, `path or name`. Block kinds: intro, p,
note, h (a heading starts a new section), scopes, meter, colours, buttons,
keys.
"""

MINUS = "\u2212"

ENGLISH = {
    "title": "Zanderwick Demo",
    "subtitle": "Stereo Scope \u00b7 Help",
    "flag_labels": ("English", "Deutsch"),
    "footer": "Zanderwick Demo \u00b7 Stereo Scope \u00b7 Version 1.0",
    "blocks": [
        ("intro",
         "Zanderwick Demo plays a WAV file through the *Zanderwick Stereo Scope*, "
         "a goniometer with a phase-correlation meter and a MONO switch. It shows "
         "how wide the stereo image is, whether it leans to one side, and whether "
         "the mix will survive being played in mono."),
        ("note",
         "Diese Seite gibt es auch auf Deutsch: click the German flag above."),

        ("h", "The goniometer"),
        ("p",
         "The round display shows the latest 512 sample frames as yellow dots, "
         "turned by 45\u00b0: what both channels have in common (the mid signal, "
         "*M*) runs up and down, what differs between them (the side signal) runs "
         "across. It scales itself to the louder channel, so a quiet passage fills "
         "it just as a loud one does."),
        ("scopes", [
            ("mono", "Mono", "vertical line"),
            ("left", "Left only", "diagonal to L"),
            ("right", "Right only", "diagonal to R"),
            ("wide", "Wide stereo", "wide cloud"),
            ("anti", "Anti-phase", "horizontal line"),
        ]),
        ("p",
         "Most music draws an upright cloud, narrow or wide. A cloud leaning "
         "towards *L* or *R* shows that one side is louder; one spreading towards "
         "the horizontal warns that parts of the sound are out of phase and will be "
         "lost in mono."),

        ("h", "The correlation meter"),
        ("p",
         "The triangle on the scale from " + MINUS + "1 to +1 shows the phase "
         "correlation: how often both channels swing the same way. +1 means "
         "identical channels, 0 unrelated ones, " + MINUS + "1 that one is the "
         "inverse of the other. Its colour tells the range at a glance:"),
        ("meter", {"ticks": (MINUS + "1", MINUS + "0.2", "0", "+0.2", "+1"),
                   "range": "range bar", "pointer": "pointer"}),
        ("colours", [
            ("green", "Green", "above +0.2: the channels agree; safe in mono."),
            ("yellow", "Yellow",
             "from " + MINUS + "0.2 to +0.2: very wide stereo; check the mix in mono."),
            ("red", "Red",
             "below " + MINUS + "0.2: the channels will partly cancel in mono."),
        ]),

        ("h", "The range bar"),
        ("p",
         "The thin bar above the pointer shows, in the same colours, the range "
         "from the lowest to the highest correlation since it was last cleared. "
         "*Click the bar* to clear it; stopping playback clears it too."),

        ("h", "The MONO switch"),
        ("p",
         "*MONO* plays the mono sum of both channels instead of the stereo signal, "
         "so you hear at once how the mix sounds from one loudspeaker. While it "
         "glows, the goniometer draws a vertical line, the pointer stands at +1 "
         "and the range bar stays empty. Click it again for stereo."),

        ("h", "Size, bands and history"),
        ("p",
         "*Right-click* the panel for its menu. *100 %*, *150 %* and *200 %* set "
         "its size. *Bands and history* adds a strip below it: three small meters "
         "show the correlation below 250\u00a0Hz (*LOW*), up to 4\u00a0kHz (*MID*) "
         "and above (*HIGH*) in the pointer's colours, so bass out of phase reads "
         "red on LOW however green the pointer is; beside them the *history* shows "
         "the pointer over the last 10 seconds, newest at the right. The program "
         "keeps both choices for the next start."),

        ("h", "Credits"),
        ("p",
         "Click the Zanderwick logo at the bottom right to see the credits and the "
         "version number; click anywhere on them to close them."),

        ("h", "Toolbar and keys"),
        ("buttons", [
            (110, "Open", "chooses another WAV file and plays it."),
            (109, "Stop", "stops playback; stays down while stopped."),
            (108, "Play", "plays the file from the start; stays down while playing."),
            (111, "Help", "opens this window or brings it to the front."),
        ]),
        ("p", "The keys work while the main window is active:"),
        ("keys", [
            ("Enter", "play"),
            ("Space", "play or stop, in turn"),
            ("Num 0", "stop (the 0 key on the numeric keypad)"),
        ]),

        ("h", "Files"),
        ("p",
         "At start-up the program plays `Audio\\Zanderwick\\Stereo.wav` from the "
         "folder it was started in; the sound begins after a few seconds. The open "
         "dialog starts in `Audio\\Quillomara`."),
        ("p",
         "It accepts PCM WAV files, mono or stereo, with 8 to 24 bits, at exactly "
         "44.1\u00a0kHz or 48\u00a0kHz; a mono file is heard on both channels, other files "
         "are refused with a message. The first 15 seconds of a file loop; a "
         "shorter file starts again about a second after its end."),
    ],
}

GERMAN = {
    "title": "Zanderwick Demo",
    "subtitle": "Stereo Scope \u00b7 Hilfe",
    "flag_labels": ("English", "Deutsch"),
    "footer": "Zanderwick Demo \u00b7 Stereo Scope \u00b7 Version 1.0",
    "blocks": [
        ("intro",
         "Zanderwick Demo spielt eine WAV-Datei über das *Zanderwick Stereo Scope* "
         "ab, ein Goniometer mit Korrelationsgradmesser und MONO-Schalter. Es zeigt, "
         "wie breit das Stereobild ist, ob es zu einer Seite hängt und ob die "
         "Mischung auch in Mono besteht."),
        ("note",
         "This page in English: ein Klick auf die britische Flagge oben."),

        ("h", "Das Goniometer"),
        ("p",
         "Die runde Anzeige stellt die jeweils letzten 512 Abtastpaare als gelbe "
         "Punkte dar, um 45° gedreht: Was beide Kanäle gemeinsam haben (das "
         "Mittensignal, *M*), verläuft senkrecht, was sie unterscheidet (das "
         "Seitensignal), waagerecht. Die Größe richtet sich nach dem lauteren "
         "Kanal, leise Stellen füllen die Anzeige also ebenso aus wie laute."),
        ("scopes", [
            ("mono", "Mono", "senkrechte Linie"),
            ("left", "Nur links", "Diagonale nach L"),
            ("right", "Nur rechts", "Diagonale nach R"),
            ("wide", "Breites Stereo", "weite Wolke"),
            ("anti", "Gegenphase", "waagerechte Linie"),
        ]),
        ("p",
         "Die meiste Musik zeichnet eine aufrechte Wolke, schmal oder breit. Neigt "
         "sie sich nach *L* oder *R*, ist eine Seite lauter; breitet sie sich zur "
         "Waagerechten aus, sind Teile des Klangs gegenphasig und gehen in Mono "
         "verloren."),

        ("h", "Der Korrelationsgradmesser"),
        ("p",
         "Das Dreieck auf der Skala von " + MINUS + "1 bis +1 zeigt die "
         "Phasenkorrelation: wie oft beide Kanäle in dieselbe Richtung schwingen. "
         "+1 bedeutet gleiche Kanäle, 0 unabhängige, " + MINUS + "1, dass ein Kanal "
         "das Spiegelbild des anderen ist. Die Farbe verrät den Bereich:"),
        ("meter", {"ticks": (MINUS + "1", MINUS + "0,2", "0", "+0,2", "+1"),
                   "range": "Bereich", "pointer": "Zeiger"}),
        ("colours", [
            ("green", "Grün", "über +0,2: Die Kanäle stimmen überein; monotauglich."),
            ("yellow", "Gelb",
             "von " + MINUS + "0,2 bis +0,2: sehr breites Stereo; in Mono prüfen."),
            ("red", "Rot",
             "unter " + MINUS + "0,2: Die Kanäle löschen sich in Mono teilweise aus."),
        ]),

        ("h", "Der Bereichsbalken"),
        ("p",
         "Der schmale Balken über dem Zeiger zeigt in denselben Farben den Bereich "
         "vom kleinsten bis zum größten Korrelationswert seit dem letzten Löschen. "
         "*Ein Klick auf den Balken* löscht ihn, ebenso das Anhalten der Wiedergabe."),

        ("h", "Der MONO-Schalter"),
        ("p",
         "*MONO* spielt statt des Stereosignals die Monosumme beider Kanäle. So ist "
         "sofort zu hören, wie die Mischung aus einem Lautsprecher klingt. Solange "
         "der Schalter leuchtet, zeichnet das Goniometer eine senkrechte Linie, der "
         "Zeiger steht auf +1 und der Bereichsbalken bleibt leer. Ein weiterer Klick "
         "schaltet zurück auf Stereo."),

        ("h", "Größe, Bänder und Verlauf"),
        ("p",
         "*Ein Rechtsklick* auf die Anzeige öffnet ihr Menü. *100 %*, *150 %* und "
         "*200 %* wählen die Größe. *Bands and history* fügt darunter einen Streifen "
         "an: Drei kleine Anzeigen zeigen in den Farben des Zeigers die Korrelation "
         "unter 250\u00a0Hz als *LOW*, bis 4\u00a0kHz als *MID* und darüber als *HIGH*; "
         "gegenphasiger Bass steht so auf LOW im Roten, wie grün der Zeiger auch "
         "ist. Daneben zeigt der *Verlauf* den Zeiger der letzten 10 Sekunden, den "
         "neuesten rechts. Das Programm behält beide Einstellungen für den nächsten "
         "Start."),

        ("h", "Mitwirkende"),
        ("p",
         "Ein Klick auf das Zanderwick-Logo unten rechts zeigt die Mitwirkenden und "
         "die Versionsnummer; ein Klick irgendwohin darauf schließt das Bild wieder."),

        ("h", "Werkzeugleiste und Tasten"),
        ("buttons", [
            (110, "Öffnen", "wählt eine andere WAV-Datei und spielt sie ab."),
            (109, "Stopp", "hält die Wiedergabe an; bleibt gedrückt, solange sie ruht."),
            (108, "Wiedergabe", "spielt die Datei von vorn; bleibt gedrückt, solange sie läuft."),
            (111, "Hilfe", "öffnet dieses Fenster oder holt es nach vorn."),
        ]),
        ("p", "Die Tasten wirken, solange das Hauptfenster aktiv ist:"),
        ("keys", [
            ("Enter", "Wiedergabe"),
            ("Leertaste", "abwechselnd Wiedergabe und Stopp"),
            ("Num 0", "Stopp (die 0 auf dem Ziffernblock)"),
        ]),

        ("h", "Dateien"),
        ("p",
         "Beim Start spielt das Programm `Audio\\Zanderwick\\Stereo.wav` aus dem "
         "Ordner, in dem es gestartet wurde; der Klang setzt nach einigen Sekunden "
         "ein. Der Öffnen-Dialog beginnt in `Audio\\Quillomara`."),
        ("p",
         "Angenommen werden PCM-WAV-Dateien, mono oder stereo, mit 8 bis 24 Bit und "
         "genau 44,1\u00a0kHz oder 48\u00a0kHz; eine Monodatei erklingt auf beiden Kanälen, "
         "andere Dateien werden mit einer Meldung abgelehnt. Die ersten 15 Sekunden "
         "laufen in einer Schleife; eine kürzere Datei beginnt etwa eine Sekunde "
         "nach ihrem Ende von vorn."),
    ],
}

PAGES = {"en": ENGLISH, "de": GERMAN}
