# The Share All animation clip, drawn by our own code.
