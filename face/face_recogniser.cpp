// Filled in by the recogniser work.
