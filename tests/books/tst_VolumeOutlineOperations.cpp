int runVolumeOutlineTests(int, char**) { return 0; }
