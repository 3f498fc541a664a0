// The OpenGL 1.1 entry points the GL 1.1 renderer calls, which WebGL does not have. The display
// refuses that renderer in a browser (no multitexture), so none of these is ever reached.
(function() {
  var stub = function() { abort('an OpenGL 1.1 call in WebGL: the show draws with --renderer gles2 here'); };
  var names = ['glBegin', 'glEnd', 'glVertex3f', 'glColor4f', 'glTexCoord4f', 'glMultiTexCoord2fARB',
               'glActiveTextureARB', 'glColorMaterial', 'glMatrixMode', 'glLoadIdentity', 'glTexEnvi',
               'glPushAttrib', 'glPopAttrib'];
  var library = {};
  names.forEach(function(name) { library[name] = stub; });
  mergeInto(LibraryManager.library, library);
})();
