console.log('zentrograph');
