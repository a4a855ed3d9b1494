#pragma once

// Words that made-up questions of the benchmarks are drawn from.
inline const char16_t* const questionWords[] = {
    u"Wie",      u"kann",    u"ich",       u"ein",       u"Dokument", u"drucken",    u"speichern",
    u"Tabelle",  u"Zelle",   u"Formel",    u"einfügen",  u"Seite",    u"Rand",       u"Schrift",
    u"ändern",   u"Fenster", u"schließen", u"Menü",      u"Datei",    u"öffnen",     u"Export",
    u"PDF",      u"Bild",    u"Diagramm",  u"Vorlage",   u"Makro",    u"Filter",     u"sortieren",
    u"Spalte",   u"Zeile",   u"löschen",   u"markieren", u"kopieren", u"Format",     u"Absatz",
    u"Tastatur", u"Kürzel",  u"Ansicht",   u"Zoom",      u"Drucker",  u"Netzwerk",   u"Konto",
    u"Passwort", u"Update",  u"Fehler",    u"Meldung",   u"Option",   u"Einstellung"};
inline constexpr int questionWordCount = sizeof(questionWords) / sizeof(questionWords[0]);
