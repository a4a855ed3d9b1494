; What the setup and the uninstaller say, in the program's own words: German,
; addressing the user with "du" as the program does.

; Setup pages
LangString WelcomeTitle ${LANG_GERMAN} "Willkommen bei Lotse"
LangString WelcomeText ${LANG_GERMAN} "Lotse zeigt dir Schritt für Schritt, wie du in anderen Programmen ans Ziel kommst.$\r$\n$\r$\nDiese Installation richtet Lotse ${VERSION} nur für dich ein und braucht keine Administratorrechte. Das Programm kommt in den Ordner$\r$\n$INSTDIR$\r$\nund bekommt eine Verknüpfung im Startmenü.$\r$\n$\r$\nLäuft Lotse gerade, wird es beendet und nach der Installation neu gestartet.$\r$\n$\r$\nKlicke auf Installieren, um fortzufahren."
LangString InstallingTitle ${LANG_GERMAN} "Lotse wird installiert"
LangString InstallingText ${LANG_GERMAN} "Bitte warte, während Lotse installiert wird."
LangString InstalledTitle ${LANG_GERMAN} "Installation abgeschlossen"
LangString InstalledText ${LANG_GERMAN} "Lotse wurde installiert."
LangString InstallAbortedTitle ${LANG_GERMAN} "Installation abgebrochen"
LangString InstallAbortedText ${LANG_GERMAN} "Lotse wurde nicht installiert."
LangString FinishTitle ${LANG_GERMAN} "Lotse ist installiert"
LangString FinishText ${LANG_GERMAN} "Lotse ist jetzt auf deinem Computer installiert. Wenn es läuft, sitzt es im Infobereich der Taskleiste: Drücke die Pause-Taste oder doppelklicke auf sein Symbol, um es zu öffnen.$\r$\n$\r$\nKlicke auf Fertigstellen, um die Installation zu beenden."
LangString FinishRun ${LANG_GERMAN} "Lotse jetzt starten"
LangString InstallAbortWarning ${LANG_GERMAN} "Möchtest du die Installation von Lotse wirklich abbrechen?"
LangString ShortcutDescription ${LANG_GERMAN} "Hilfe Schritt für Schritt in anderen Programmen"

; Uninstaller pages
LangString RemoveTitle ${LANG_GERMAN} "Lotse entfernen"
LangString RemoveSubtitle ${LANG_GERMAN} "Lotse wird von deinem Computer entfernt."
LangString RemoveText ${LANG_GERMAN} "Lotse wird mit allem entfernt, was es auf deinem Computer angelegt hat: dem Programmordner, der Verknüpfung im Startmenü und dem automatischen Start mit Windows. Läuft Lotse gerade, wird es beendet."
LangString RemoveFolder ${LANG_GERMAN} "Programmordner:"
LangString RemovingTitle ${LANG_GERMAN} "Lotse wird entfernt"
LangString RemovingText ${LANG_GERMAN} "Bitte warte, während Lotse entfernt wird."
LangString RemovedTitle ${LANG_GERMAN} "Deinstallation abgeschlossen"
LangString RemovedText ${LANG_GERMAN} "Lotse wurde von deinem Computer entfernt."
LangString RemoveAbortedTitle ${LANG_GERMAN} "Deinstallation abgebrochen"
LangString RemoveAbortedText ${LANG_GERMAN} "Lotse wurde nicht entfernt."
LangString RemoveAbortWarning ${LANG_GERMAN} "Möchtest du die Deinstallation von Lotse wirklich abbrechen?"

; Both
LangString SetupAlreadyRunning ${LANG_GERMAN} "Lotse wird gerade schon installiert oder deinstalliert. Warte, bis das fertig ist, und versuche es dann noch einmal."
LangString EndingLotse ${LANG_GERMAN} "Lotse wird beendet ..."
LangString LotseDoesNotEnd ${LANG_GERMAN} "Lotse lässt sich nicht beenden.$\r$\n$\r$\nSchließe die offenen Fenster von Lotse oder wähle im Menü seines Symbols im Infobereich „Beenden“ und versuche es dann noch einmal."
LangString LotseStillRunning ${LANG_GERMAN} "Lotse läuft noch; es wurde nichts geändert."
LangString StartingLotse ${LANG_GERMAN} "Lotse wird gestartet ..."

; The standard texts that address the user with "Sie", and buttons.
LangString ^CloseBtn ${LANG_GERMAN} "&Schließen"
LangString ^FileError ${LANG_GERMAN} "Die Datei lässt sich nicht schreiben:$\r$\n$\t$\"$0$\"$\r$\nKlicke auf Abbrechen, um abzubrechen, auf Wiederholen, um es noch einmal zu versuchen, oder auf Ignorieren, um die Datei auszulassen."
LangString ^FileError_NoIgnore ${LANG_GERMAN} "Die Datei lässt sich nicht schreiben:$\r$\n$\t$\"$0$\"$\r$\nKlicke auf Wiederholen, um es noch einmal zu versuchen, oder auf Abbrechen, um die Installation zu beenden."
