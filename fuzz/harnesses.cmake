# The harnesses, shared by the libFuzzer build and the corpus replay of the tests.
set(ZEL_FUZZ_HARNESSES
  fuzz_event_file
  fuzz_settings
  fuzz_partner
  fuzz_cp1250
  fuzz_datetime
  fuzz_vcard
  fuzz_card
  fuzz_csv
  fuzz_ldif
  fuzz_namedays
  fuzz_instance
)
# Harnesses of readers in the GUI layer: they link Qt Core and the reader's source, nothing else.
set(ZEL_FUZZ_QT_HARNESSES
  fuzz_multistatus
)
set(ZEL_FUZZ_SOURCES_fuzz_multistatus ${PROJECT_SOURCE_DIR}/src/gui/sync/multistatus.cpp)
