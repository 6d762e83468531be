-- Changes an order: EMPRESA_ID 1, status 1 (a deleted order becomes active
-- again; the status argument is not used), the external number and supplier
-- given; the client is not passed and stays as it is. The update is recorded
-- in Infra_Operacao (entity 172, operation 2, the user id, the order id; a
-- missing id is recorded as 0) and the answer is RETORNO 0, also when no
-- order has that id.
CREATE PROCEDURE SP_QBX_ALT_PEDIDO_OLT1 (@PEDIDO_ID INTEGER, @TAB_STATUS_ID INTEGER, @NUM_PEDIDO_EXTERNO TEXT,
                                         @FORNECEDOR_ID INTEGER, @USUARIO_ID INTEGER)
AS
UPDATE PEDIDO
   SET EMPRESA_ID = 1,
       TAB_STATUS_ID = 1,
       NUM_PEDIDO_EXTERNO = @NUM_PEDIDO_EXTERNO,
       FORNECEDOR_ID = @FORNECEDOR_ID
 WHERE PEDIDO_ID = @PEDIDO_ID;
INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
VALUES (172, 2, COALESCE(@USUARIO_ID, 0), COALESCE(@PEDIDO_ID, 0), julianday('now', 'localtime'));
SELECT 0 AS RETORNO, '' AS MSG_RET;
