// Filled in by the edge toolkit work.
