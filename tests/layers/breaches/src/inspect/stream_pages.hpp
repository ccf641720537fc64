// A header of the stream reader, above the picture files.
