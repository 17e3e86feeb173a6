#!/bin/bash
# Remakes the LibreOffice fixtures from their HTML sources (needs libreoffice-writer-nogui).
set -euo pipefail
cd "$(dirname "$0")"
for html in libreoffice_*.html; do
    soffice --headless --convert-to rtf:"Rich Text Format" --infilter="HTML (StarWriter)" "$html"
done
