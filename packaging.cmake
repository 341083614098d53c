# `make package` (cpack in the build folder) makes a Debian package that installs the program
# below /usr. The Qt libraries it needs are found by dpkg-shlibdeps from the binary itself.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalumbrixtor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Kalumbrixtor <kalumbrixtor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Kopfrechentrainer für Schulkinder")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kalumbrixtor übt Kopfrechnen: Das Kind wählt eine Rechenart, die Zahlenbereiche
und auf Wunsch ein Zeitlimit und löst Aufgaben, die sich in einem Durchgang nicht
wiederholen. Sechzehn feste Wettbewerbe führen Bestenlisten; Ergebnisse und
Aufgabensätze lassen sich speichern und als Arbeitsblatt drucken.
.
Aus dem Menü gestartet legt das Programm seine Dateien im Ordner ~/Kalumbrixtor ab.")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# German button texts come from Qt's translations; a font metric-compatible with the printed
# layout's font keeps worksheets the same on every machine.
# The learning history needs Qt's SQLite driver, a plugin that dpkg-shlibdeps cannot see; reading
# aloud is only offered, so its speech service and German voice are recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-liberation2, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-speech-speechd-plugin, speech-dispatcher, espeak-ng")
set(CPACK_STRIP_FILES ON)
include(CPack)
