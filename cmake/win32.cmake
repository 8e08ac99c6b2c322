# Windows build (MinGW-w64 cross compiler): Tarvo.exe and its tests, run under Wine.
# The front end and the Wine harness are added here.
