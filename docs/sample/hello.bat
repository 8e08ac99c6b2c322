@rem The sample target of scripts/run.sh: shows the arguments it was given and its folder.
@echo off
echo Arguments: %*
echo Folder: %CD%
pause
