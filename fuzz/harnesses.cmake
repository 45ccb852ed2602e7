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
