# Numbered messages (caption, then up to four body lines) and the device
# error texts in the order of the error code list.

MESSAGES = {
 'de': {
  1: ("Konfiguration nicht geschrieben", "Die Prüfung der Konfiguration ist fehlgeschlagen.", "Die markierten Felder enthalten ungültige Werte.", "Bitte korrigieren Sie sie und schreiben Sie erneut."),
  2: ("Konfiguration nicht bestätigt", "Das Gerät hat die Konfiguration nicht bestätigt.", "Prüfen Sie Verbindung und Schnittstelle,", "lesen Sie die Konfiguration neu vom Gerät", "und versuchen Sie es erneut."),
  3: ("Konfiguration speichern",),
  4: ("Datei nicht geöffnet", "Die Konfigurationsdatei kann nicht geöffnet werden.", "Prüfen Sie Pfad, Dateiname und Zugriffsrechte."),
  5: ("Konfiguration laden",),
  6: ("Konfiguration geschrieben", "Das Gerät hat die neue Konfiguration bestätigt."),
  7: ("Schleichmenge gesetzt", "Das Gerät hat die neue Schleichmengenunterdrückung übernommen.", "Der neue Wert erscheint mit der nächsten Abfrage."),
  8: ("Keine Bestätigung", "Das Gerät hat den Befehl nicht bestätigt.", "Der Wert im Gerät ist unverändert.", "Prüfen Sie die Verbindung und versuchen Sie es erneut."),
  9: ("Nullpunktabgleich", "Das Gerät meldet das Ergebnis 0x9E des Nullpunktabgleichs.", "Die Bedeutung steht in der Betriebsanleitung des KM210."),
  10: ("Nullpunktabgleich", "Das Gerät meldet das Ergebnis 0x9D des Nullpunktabgleichs.", "Die Bedeutung steht in der Betriebsanleitung des KM210."),
  11: ("Nullpunktabgleich", "Das Gerät meldet das Ergebnis 0x9F des Nullpunktabgleichs.", "Die Bedeutung steht in der Betriebsanleitung des KM210."),
  12: ("Nullpunktabgleich", "Das Gerät hat kein Ergebnis des Nullpunktabgleichs gemeldet.", "Prüfen Sie die Verbindung und wiederholen Sie den Abgleich."),
  13: ("Aufzeichnung speichern unter",),
  14: ("Aufzeichnung", "Die Aufzeichnungsdatei kann nicht angelegt oder beschrieben werden.", "Prüfen Sie, ob die Datei in einem anderen Programm geöffnet ist", "und ob Sie im Verzeichnis schreiben dürfen."),
  15: ("Sprache", "Die Sprache wurde geändert.", "Die Titel der Registerkarten wechseln beim nächsten Programmstart."),
  16: ("Aufzeichnung", "Die Datei existiert bereits.", "Soll sie ersetzt werden?"),
  17: ("Konfiguration nicht gelesen", "Die Antwort des Geräts war unvollständig.", "Die angezeigte Konfiguration ist nicht die des Geräts.", "Prüfen Sie die Verbindung und lesen Sie erneut."),
  18: ("Datei nicht geladen", "Die Datei ist keine Konfigurationsdatei dieses Programms", "oder passt nicht zu ihrer Gerätevariante.", "Die Seite bleibt unverändert."),
  19: ("Grafik", "Die Grafik konnte nicht eingerichtet werden.", "Es werden keine Messwerte gezeichnet."),
  20: ("Werte veraltet", "Seit %1 ist keine Abfrage mehr vollständig angekommen.", "Die angezeigten Werte sind veraltet."),
  21: ("Grafik nicht gespeichert", "Die Datei %1 kann nicht geschrieben werden:", "%2", "Prüfen Sie Pfad, Dateiname und Zugriffsrechte."),
  22: ("Konfiguration nicht gespeichert", "Es ist keine HW-Version gewählt.", "Wählen Sie die Gerätevariante oder lesen Sie die Konfiguration vom Gerät."),
  23: ("Einstellungen nicht gespeichert", "Die Einstellungen können nicht in %1 gespeichert werden.", "Ihre Änderungen gelten nur bis zum Programmende.", "Prüfen Sie die Zugriffsrechte der Datei und den freien Speicherplatz."),
  24: ("Aufzeichnung", "%1 Zeilen seit %2 nicht aufgezeichnet: %3"),
  25: ("Aufzeichnung öffnen", "%1 kann nicht als Aufzeichnung gezeigt werden:", "%2", "Die Grafik bleibt, wie sie war."),
  26: ("Aufzeichnung läuft", "Es läuft eine Aufzeichnung in %1.", "Aufzeichnung beenden und das Programm schließen?"),
  27: ("Alles löschen", "Alle Felder der Seite leeren?", "Die Werte auf der Seite gehen verloren; das Gerät bleibt unverändert."),
  28: ("Kein Gerät", "Das Gerät antwortet nicht; es wurde nichts gesendet.", "Wählen Sie auf der Seite Einstellungen den COM-Port des KM210 (grüne Lampe)."),
  29: ("Konfiguration nicht geschrieben", "Die Seite enthält keine Änderung gegenüber dem Gerät.", "Es wurde nichts gesendet."),
  30: ("Konfiguration nicht geschrieben", "Die Seite ist für %1, angeschlossen ist %2.", "Eine Konfiguration einer anderen Gerätefamilie wird nicht geschrieben."),
  31: ("Konfiguration schreiben", "Die Konfiguration dieses Geräts wurde noch nicht gelesen; was sich ändert, kann nicht gezeigt werden.", "Jetzt vom Gerät lesen (die Werte auf der Seite werden ersetzt)?"),
  32: ("Konfiguration schreiben", "Diese Werte werden im Gerät geändert:"),
  33: ("Servicelog", "Die Aktion wurde ausgeführt, aber nicht in %1 eingetragen:", "%2", "Weitere Einträge werden versucht; diese Meldung kommt nur einmal."),
  34: ("Konfiguration laden", "Die Datei ist für %1, angeschlossen ist %2.", "Sie steht auf der Seite (z. B. um ein Ersatzgerät vorzubereiten), kann aber nicht in dieses Gerät geschrieben werden."),
  35: ("Bericht", "Der Bericht kann nicht in %1 geschrieben werden:", "%2", "Prüfen Sie Pfad, Dateiname und Zugriffsrechte."),
 },
 'en': {
  1: ("Configuration not written", "The check of the configuration failed.", "The marked fields hold invalid values.", "Please correct them and write again."),
  2: ("Configuration not acknowledged", "The device did not acknowledge the configuration.", "Check the connection and the port,", "read the configuration from the device again", "and try once more."),
  3: ("Save configuration",),
  4: ("File not opened", "The configuration file cannot be opened.", "Check the path, the file name and the access rights."),
  5: ("Load configuration",),
  6: ("Configuration written", "The device acknowledged the new configuration."),
  7: ("Low-flow suppression set", "The device accepted the new low-flow suppression.", "The new value appears with the next poll."),
  8: ("No acknowledgement", "The device did not acknowledge the command.", "The value in the device is unchanged.", "Check the connection and try again."),
  9: ("Zero-point adjustment", "The device reports the zero-point adjustment result 0x9E.", "Its meaning is given in the KM210 operating manual."),
  10: ("Zero-point adjustment", "The device reports the zero-point adjustment result 0x9D.", "Its meaning is given in the KM210 operating manual."),
  11: ("Zero-point adjustment", "The device reports the zero-point adjustment result 0x9F.", "Its meaning is given in the KM210 operating manual."),
  12: ("Zero-point adjustment", "The device reported no result of the zero-point adjustment.", "Check the connection and repeat the adjustment."),
  13: ("Save recording as",),
  14: ("Recording", "The recording file cannot be created or written.", "Check whether the file is open in another program", "and whether you may write to the folder."),
  15: ("Language", "The language has been changed.", "The tab titles change at the next start of the program."),
  16: ("Recording", "The file already exists.", "Do you want to replace it?"),
  17: ("Configuration not read", "The reply of the device was incomplete.", "The configuration shown is not the device's.", "Check the connection and read again."),
  18: ("File not loaded", "The file is not a configuration file of this program", "or does not fit its device variant.", "The page is left unchanged."),
  19: ("Chart", "The chart could not be set up.", "No values are plotted."),
  20: ("Values out of date", "No complete poll has arrived since %1.", "The values shown are out of date."),
  21: ("Chart not saved", "The file %1 cannot be written:", "%2", "Check the path, the file name and the access rights."),
  22: ("Configuration not saved", "No hardware version is chosen.", "Choose the device variant or read the configuration from the device."),
  23: ("Settings not saved", "The settings cannot be saved in %1.", "Your changes last only until the program ends.", "Check the file's access rights and the free disk space."),
  24: ("Recording", "%1 rows not recorded since %2: %3"),
  25: ("Open recording", "%1 cannot be shown as a recording:", "%2", "The chart stays as it was."),
  26: ("Recording running", "A recording into %1 is running.", "Stop the recording and close the program?"),
  27: ("Clear all", "Empty every field of the page?", "The values on the page are lost; the device stays unchanged."),
  28: ("No device", "The device does not answer; nothing was sent.", "Choose the KM210's COM port on the Settings page (green lamp)."),
  29: ("Configuration not written", "The page holds no change against the device.", "Nothing was sent."),
  30: ("Configuration not written", "The page is for %1, the device connected is %2.", "A configuration of another device family is not written."),
  31: ("Write configuration", "This device's configuration has not been read yet; what would change cannot be shown.", "Read it from the device now (the values on the page are replaced)?"),
  32: ("Write configuration", "These values change in the device:"),
  33: ("Service log", "The action was carried out but not entered in %1:", "%2", "Further entries are tried; this message comes only once."),
  34: ("Load configuration", "The file is for %1, the device connected is %2.", "It is on the page (to prepare a spare, say) but cannot be written to this device."),
  35: ("Report", "The report cannot be written to %1:", "%2", "Check the path, the file name and the access rights."),
 },
 'fr': {
  1: ("Configuration non écrite", "La vérification de la configuration a échoué.", "Les champs signalés contiennent des valeurs non valides.", "Corrigez-les, puis relancez l'écriture."),
  2: ("Configuration non acquittée", "L'appareil n'a pas acquitté la configuration.", "Vérifiez la liaison et le port,", "relisez la configuration de l'appareil,", "puis réessayez."),
  3: ("Enregistrer la configuration",),
  4: ("Ouverture impossible", "Impossible d'ouvrir le fichier de configuration.", "Vérifiez le chemin, le nom du fichier et les droits d'accès."),
  5: ("Charger une configuration",),
  6: ("Configuration écrite", "L'appareil a acquitté la nouvelle configuration."),
  7: ("Seuil de débit de fuite réglé", "L'appareil a pris en compte le nouveau seuil de suppression des débits de fuite.", "La nouvelle valeur s'affichera à la prochaine interrogation."),
  8: ("Pas d'acquittement", "L'appareil n'a pas acquitté la commande.", "La valeur dans l'appareil reste inchangée.", "Vérifiez la liaison et réessayez."),
  9: ("Réglage du zéro", "L'appareil signale le résultat 0x9E du réglage du zéro.", "Reportez-vous à la notice d'utilisation du KM210 pour sa signification."),
  10: ("Réglage du zéro", "L'appareil signale le résultat 0x9D du réglage du zéro.", "Reportez-vous à la notice d'utilisation du KM210 pour sa signification."),
  11: ("Réglage du zéro", "L'appareil signale le résultat 0x9F du réglage du zéro.", "Reportez-vous à la notice d'utilisation du KM210 pour sa signification."),
  12: ("Réglage du zéro", "L'appareil n'a renvoyé aucun résultat du réglage du zéro.", "Vérifiez la liaison et recommencez le réglage."),
  13: ("Enregistrer les mesures sous",),
  14: ("Enregistrement des mesures", "Impossible de créer le fichier de mesures ou d'y écrire.", "Vérifiez que le fichier n'est pas ouvert dans un autre programme", "et que vous avez le droit d'écrire dans le dossier."),
  15: ("Langue", "La langue a été modifiée.", "Les titres des onglets ne changeront qu'au prochain démarrage du programme."),
  16: ("Enregistrement des mesures", "Le fichier existe déjà.", "Voulez-vous le remplacer ?"),
  17: ("Configuration non lue", "La réponse de l'appareil était incomplète.", "La configuration affichée n'est pas celle de l'appareil.", "Vérifiez la liaison et relancez la lecture."),
  18: ("Fichier non chargé", "Ce fichier n'est pas un fichier de configuration de ce programme", "ou ne correspond pas à sa variante d'appareil.", "L'onglet reste inchangé."),
  19: ("Graphique", "Impossible d'initialiser le graphique.", "Aucune valeur ne sera tracée."),
  20: ("Valeurs non actualisées", "Aucune interrogation n'a abouti depuis %1.", "Les valeurs affichées ne sont plus à jour."),
  21: ("Graphique non enregistré", "Impossible d'écrire le fichier %1 :", "%2", "Vérifiez le chemin, le nom du fichier et les droits d'accès."),
  22: ("Configuration non enregistrée", "Aucune version matérielle n'est choisie.", "Choisissez la variante d'appareil ou lisez la configuration de l'appareil."),
  23: ("Paramètres non enregistrés", "Impossible d'enregistrer les paramètres dans %1.", "Vos modifications ne valent que jusqu'à la fermeture du programme.", "Vérifiez les droits d'accès du fichier et l'espace disque libre."),
  24: ("Enregistrement des mesures", "%1 lignes non enregistrées depuis %2 : %3"),
  25: ("Ouvrir un enregistrement", "%1 ne peut pas être affiché comme enregistrement :", "%2", "Le graphique reste inchangé."),
  26: ("Enregistrement en cours", "Un enregistrement dans %1 est en cours.", "Arrêter l'enregistrement et fermer le programme ?"),
  27: ("Tout effacer", "Vider tous les champs de la page ?", "Les valeurs de la page sont perdues ; l'appareil reste inchangé."),
  28: ("Aucun appareil", "L'appareil ne répond pas ; rien n'a été envoyé.", "Choisissez le port COM du KM210 dans la page Paramètres (voyant vert)."),
  29: ("Configuration non écrite", "La page ne contient aucune modification par rapport à l'appareil.", "Rien n'a été envoyé."),
  30: ("Configuration non écrite", "La page est pour %1, l'appareil connecté est %2.", "Une configuration d'une autre famille d'appareils n'est pas écrite."),
  31: ("Écrire la configuration", "La configuration de cet appareil n'a pas encore été lue ; les changements ne peuvent pas être affichés.", "La lire maintenant dans l'appareil (les valeurs de la page sont remplacées) ?"),
  32: ("Écrire la configuration", "Ces valeurs changent dans l'appareil :"),
  33: ("Journal de service", "L'action a été effectuée mais n'a pas été inscrite dans %1 :", "%2", "Les entrées suivantes sont tentées ; ce message n'apparaît qu'une fois."),
  34: ("Charger la configuration", "Le fichier est pour %1, l'appareil connecté est %2.", "Il est affiché sur la page (pour préparer un appareil de remplacement, par exemple) mais ne peut pas être écrit dans cet appareil."),
  35: ("Rapport", "Impossible d'écrire le rapport dans %1 :", "%2", "Vérifiez le chemin, le nom du fichier et les droits d'accès."),
 },
}

ERROR_CODES = [0, 255, 1, 2, 3, 4, 5, 10, 20, 21, 30, 40, 41, 60]

def error_texts(lang):
    out = []
    for code in ERROR_CODES:
        if code == 0:
            out.append({'de': "Kein Fehler", 'en': "No error", 'fr': "Aucun défaut"}[lang])
        else:
            out.append({'de': f"Gerätefehler {code}", 'en': f"Device error {code}", 'fr': f"Défaut appareil {code}"}[lang])
    return out

def error_help(lang):
    out = []
    for code in ERROR_CODES:
        if code == 0:
            out.append({
                'de': "Das Gerät meldet keinen Fehler.",
                'en': "The device reports no error.",
                'fr': "L'appareil ne signale aucun défaut.",
            }[lang])
        else:
            out.append({
                'de': f"Das Gerät meldet den Fehlercode {code}.\nSeine Bedeutung und Abhilfe stehen in der Betriebsanleitung des KM210.\nNach Beseitigen der Ursache setzen Sie den Fehler mit „Reset Fehler.“ zurück.",
                'en': f"The device reports error code {code}.\nIts meaning and remedy are given in the KM210 operating manual.\nOnce the cause has been removed, clear the error with \"Reset error\".",
                'fr': f"L'appareil signale le code de défaut {code}.\nSa signification et le remède figurent dans la notice d'utilisation du KM210.\nUne fois la cause éliminée, acquittez le défaut avec « Acquitter défaut ».",
            }[lang])
    return out
