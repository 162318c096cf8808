@echo off
rem Takes the lock census of a database in the moments that tell whether
rem Access and Quillmere place their locks alike, each into a file of its
rem own in the current folder, for sending back.
rem
rem   lock-census.cmd DATABASE TABLE
rem
rem jetload.exe must lie beside this script. DATABASE should be a copy.
setlocal
if "%~2"=="" (
  echo usage: lock-census.cmd DATABASE TABLE
  exit /b 2
)
set "jetload=%~dp0jetload.exe"
set "db=%~f1"

echo 1. Open "%db%" in Access and open table %~2. Change nothing yet.
pause
"%jetload%" locks "%db%" > census-1-open.txt
"%jetload%" locks "%db%" --json > census-1-open.json
type census-1-open.txt

echo 2. Change a field of the first record and keep the edit open (do not
echo    save it, do not leave the record).
pause
"%jetload%" locks "%db%" > census-2-editing.txt
"%jetload%" locks "%db%" --json > census-2-editing.json
type census-2-editing.txt

echo 3. Undo the edit (Esc) and close Access. Quillmere's own writer now
echo    holds the first record of %~2 for 20 seconds.
pause
start "" /b "%jetload%" hold "%db%" "%~2" --seconds 20
timeout /t 5 /nobreak > nul
"%jetload%" locks "%db%" > census-3-quillmere.txt
"%jetload%" locks "%db%" --json > census-3-quillmere.json
type census-3-quillmere.txt

echo Send back the census-*.txt and census-*.json files, with the Access
echo version, the file format and the locking options used.
